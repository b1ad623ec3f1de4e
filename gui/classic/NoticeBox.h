#pragma once
// While alive, the numerical core's notices appear as modal warning boxes over the active
// window; the previous notice handler comes back afterwards.

#include "numerics/Notice.h"

namespace mt1d::gui {

class NoticeBox {
public:
    NoticeBox();
    ~NoticeBox();
    NoticeBox(const NoticeBox&) = delete;
    NoticeBox& operator=(const NoticeBox&) = delete;

private:
    mt::NoticeHandler previous_;
};

}  // namespace mt1d::gui
