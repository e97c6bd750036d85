#pragma once

#include "screens/dialogs.h"
#include "screens/module1.h"
#include "screens/navigation.h"

#include <QWidget>

// Base of the eight screens: a black 12000 x 9000 twip page with the shared module, navigation and dialogs.
// The navigator calls Form_Load once when the screen is created, Form_Activate every time it is shown,
// and Form_Unload when it is closed.
class Screen : public QWidget {
    Q_OBJECT
public:
    Screen(ScreenId id, Module1& module, Navigation& navigation, Dialogs& dialogs, QWidget* parent = nullptr);

    ScreenId screenId() const { return id_; }

    virtual void Form_Load() {}
    virtual void Form_Activate() {}
    virtual void Form_Unload() {}

    // True while the screen holds work that closing it would throw away unsaved.
    virtual bool hasUnsavedWork() const { return false; }

    // The control that has the keyboard focus when the screen is first shown.
    QWidget* firstFocus() const { return firstFocus_; }

    // The anchor of this screen's section in the help document, where F1 opens the help. A screen of its own
    // (one not in helpSectionOf) overrides this and names its section.
    virtual QString helpSection() const;

    // The screens' fixed size in twips.
    static constexpr int widthTwips = 12000;
    static constexpr int heightTwips = 9000;

protected:
    void setFirstFocus(QWidget* widget) { firstFocus_ = widget; }

    Module1& module;
    Navigation& navigation;
    Dialogs& dialogs;

private:
    ScreenId id_;
    QWidget* firstFocus_ = nullptr;
};

// The help section of each of the eight screens ("contents" for none).
QString helpSectionOf(ScreenId id);
