#pragma once

// Where the status record decoder raises the battery test alert. The alert
// window itself belongs to the battery test windows.

#include "core/Rgb.h"

#include <string>

namespace zelt {

class TestAlertWindow {
public:
    virtual ~TestAlertWindow() = default;
    // Fills both lines, sets the normal width to 350 pixels and shows the
    // window without making it modal.
    virtual void ShowAlert(const std::string& message, const std::string& message2,
                           Rgb message2Background) = 0;
};

} // namespace zelt
