#pragma once

// The eight screens of the program, the analysis screen that the record and balance screens open over themselves, and
// the tipster grid that the mark sheet opens over itself, and the day's results that the result entry opens over
// itself.
enum class ScreenId { Form1 = 1, Form2, Form3, Form4, Form5, Form6, Form7, Form8, Analysis, TipsterGrid, DayResults };

// What a screen may ask of the application: show another screen, close one, or end the program.
// show loads the screen if needed (Form_Load), brings it to the front and activates it (Form_Activate);
// close unloads it (Form_Unload) and destroys it; closing a screen that is not loaded does nothing.
class Navigation {
public:
    virtual ~Navigation() = default;
    virtual void show(ScreenId id) = 0;
    virtual void close(ScreenId id) = 0;
    virtual bool isLoaded(ScreenId id) const = 0;
    // Before the race on the mark sheet is left for good: true when nothing of it is unsaved or the user agreed to
    // throw it away, false when the user chose to stay.
    virtual bool confirmLeavingRace() { return true; }
    // Ends at once: no unload handler runs and nothing is saved.
    virtual void endProgram() = 0;
};
