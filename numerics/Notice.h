#pragma once
// The one way the core can tell the user something: a replaceable notice function.
// By default it writes caption and text to standard error; the window installs a modal
// message box. The core never depends on a GUI library.

#include <functional>
#include <string>

namespace mt {

using NoticeHandler = std::function<void(const std::string& caption, const std::string& text)>;

// Installs a handler; an empty one restores the default. Returns the previous handler.
NoticeHandler SetNoticeHandler(NoticeHandler handler);

void ShowNotice(const std::string& caption, const std::string& text);

}  // namespace mt
