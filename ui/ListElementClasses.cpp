#include "ui/ListElementClasses.h"

#include "ui/FileListElement.h"
#include "ui/FolderBarElement.h"

namespace tonilo {

bool RegisterListElementClasses(ElementClassRegistry& registry) {
    return registry.Register(&FileListElement::Class()) &&
           registry.Register(&FolderBarElement::Class());
}

} // namespace tonilo
