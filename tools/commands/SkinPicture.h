#pragma once
// The skin command's render and list sub-commands (SkinCommand.cpp dispatches).
#include "tools/ToolCommand.h"

namespace tonilo::tool {

// skin render FILE --out PNG [--size WxH] [--set NAME=VALUE]... [--press NAME]
int RenderSkin(const ToolContext& context, const Arguments& arguments);
// skin list [--size WxH] [--skins DIR]
int ListSkins(const ToolContext& context, const Arguments& arguments);
// "WxH" with both parts positive.
bool ParseSize(const std::string& text, int32_t* width, int32_t* height);

} // namespace tonilo::tool
