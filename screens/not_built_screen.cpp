#include "screens/not_built_screen.h"

#include "screens/control_table.h"

#include <QLabel>
#include <QPushButton>

NotBuiltScreen::NotBuiltScreen(ScreenId id, ScreenId back, Module1& module, Navigation& navigation, Dialogs& dialogs)
    : Screen(id, module, navigation, dialogs)
{
    // clang-format off
    static const ControlLine layout[] = {
        {.name = "Label1", .kind = ControlKind::Label, .caption = "この画面はまだできていません",
         .left = 1200, .top = 3600, .width = 9600, .height = 615, .fore = yellow, .pointSize = 20.25,
         .align = Align::Centre},
        {.name = "CommandBack", .kind = ControlKind::Button, .caption = "戻ります",
         .left = 9720, .top = 7560, .width = 1215, .height = 495, .pointSize = 12},
    };
    // clang-format on
    build<QLabel>(this, layout, "Label1", 14.25);
    auto* back_button = build<QPushButton>(this, layout, "CommandBack", 14.25);
    setFirstFocus(back_button);
    connect(back_button, &QPushButton::clicked, this, [this, id, back] {
        this->navigation.close(id);
        this->navigation.show(back);
    });
}
