#include "numerics/Notice.h"

#include <iostream>
#include <utility>

namespace mt {

namespace {

void WriteToStandardError(const std::string& caption, const std::string& text)
{
    std::cerr << caption << ' ' << text << '\n';
}

NoticeHandler& CurrentHandler()
{
    static NoticeHandler handler = WriteToStandardError;
    return handler;
}

}  // namespace

NoticeHandler SetNoticeHandler(NoticeHandler handler)
{
    if (!handler) {
        handler = WriteToStandardError;
    }
    return std::exchange(CurrentHandler(), std::move(handler));
}

void ShowNotice(const std::string& caption, const std::string& text)
{
    CurrentHandler()(caption, text);
}

}  // namespace mt
