#pragma once

#include <QColor>
#include <QPalette>

#include <utility>

namespace tildo::test {

// A dark theme's palette, as qt6ct's "darker" gives it.
inline QPalette DarkPalette()
{
    QPalette dark;
    for (const auto& [role, colour] :
        { std::pair { QPalette::Window, QColor(53, 53, 53) }, { QPalette::WindowText, QColor(238, 238, 238) },
            { QPalette::Base, QColor(35, 35, 35) }, { QPalette::Text, QColor(238, 238, 238) },
            { QPalette::ToolTipBase, QColor(64, 64, 64) }, { QPalette::ToolTipText, QColor(238, 238, 238) },
            { QPalette::Button, QColor(53, 53, 53) }, { QPalette::ButtonText, QColor(238, 238, 238) } })
        dark.setColor(role, colour);
    return dark;
}

} // namespace tildo::test
