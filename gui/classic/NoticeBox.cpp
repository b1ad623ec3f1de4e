#include "gui/classic/NoticeBox.h"

#include "gui/common/MessageBoxes.h"

#include <QApplication>

namespace mt1d::gui {

NoticeBox::NoticeBox()
    : previous_(mt::SetNoticeHandler([](const std::string& caption, const std::string& text) {
          ShowProgramMessage(QApplication::activeWindow(), QString::fromStdString(caption),
                             QString::fromStdString(text));
      }))
{
}

NoticeBox::~NoticeBox()
{
    mt::SetNoticeHandler(std::move(previous_));
}

}  // namespace mt1d::gui
