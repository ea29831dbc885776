#include "ui/ActionMenu.h"

#include "platform/LanguageResources.h"
#include "ui/MainCommands.h"

namespace tonilo {
namespace {

MenuItem Item(uint32_t id) {
    return MenuItem::Command(id, LoadResourceString(id));
}

} // namespace

Menu BuildActionMenu() {
    Menu sleep;
    for (uint32_t id = kCmdSleepOff; id <= kCmdSleep120; ++id)
        sleep.push_back(Item(id));
    Menu files; // filled by the recording list each time the menu opens
    MenuItem filesMenu = MenuItem::Submenu(0, LoadResourceString(kTextFiles), files);
    filesMenu.enabled = false;
    return {
        Item(kCmdBrowseFolder),
        filesMenu,
        MenuItem::Submenu(0, LoadResourceString(kTextBookmarks),
                          {Item(kCmdAddBookmark), Item(kCmdBookmarkManager)}),
        MenuItem::Separator(),
        MenuItem::Submenu(0, LoadResourceString(kTextSleep), sleep),
        Item(kCmdAutoPlayNext),
        Item(kCmdDisplayOff),
        MenuItem::Submenu(0, LoadResourceString(kTextSettings),
                          {Item(kCmdGeneral), Item(kCmdFilters), Item(kCmdEqualizer),
                           Item(kCmdBookmarkOptions), Item(kCmdAssociations), Item(kCmdScheduler)}),
        MenuItem::Submenu(0, LoadResourceString(kTextHelp), {Item(kCmdAbout), Item(kCmdGetUpdate)}),
        MenuItem::Separator(),
        Item(kCmdExit),
    };
}

Menu BuildSortMenu() {
    return {Item(kCmdSortName), Item(kCmdSortDate), Item(kCmdSortSize)};
}

uint32_t SleepCommandForMinutes(uint32_t minutes) {
    switch (minutes) {
    case 0:
        return kCmdSleepOff;
    case 30:
        return kCmdSleepOff + 1;
    case 60:
        return kCmdSleepOff + 2;
    case 90:
        return kCmdSleepOff + 3;
    default:
        return kCmdSleep120;
    }
}

uint32_t SleepMinutesForCommand(uint32_t command) {
    return (command - kCmdSleepOff) * 30;
}

MenuItem* FindMenuItem(Menu* menu, uint32_t id) {
    for (MenuItem& item : *menu) {
        if (!item.separator && item.id == id && item.children.empty())
            return &item;
        if (MenuItem* found = FindMenuItem(&item.children, id))
            return found;
    }
    return nullptr;
}

MenuItem* FindSubmenu(Menu* menu, uint32_t textId) {
    const std::string text = LoadResourceString(textId);
    for (MenuItem& item : *menu) {
        if (!item.separator && item.id == 0 && item.text == text)
            return &item;
    }
    return nullptr;
}

bool ContainsCommand(const Menu& menu, uint32_t id) {
    return FindMenuItem(const_cast<Menu*>(&menu), id) != nullptr;
}

void PrepareActionMenu(Menu* menu, uint32_t sleepMinutes, bool autoPlayNext) {
    const uint32_t checked = SleepCommandForMinutes(sleepMinutes);
    for (uint32_t id = kCmdSleepOff; id <= kCmdSleep120; ++id)
        if (MenuItem* item = FindMenuItem(menu, id))
            item->checked = id == checked;
    if (MenuItem* item = FindMenuItem(menu, kCmdAutoPlayNext))
        item->checked = autoPlayNext;
}

} // namespace tonilo
