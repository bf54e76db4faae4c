#include "GuiTestSupport.h"

#include "MsgBox.h"
#include "Popups.h"

namespace TestSupport {

void quietDialogs() {
    MsgBox::setTestMode(true);
    PopupSettings::setTimingForTesting(1, 1);
    PopupSettings::setSoundEnabledForTesting(false);
}

} // namespace TestSupport
