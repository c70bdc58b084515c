#pragma once

#include "ui/components/SheetDialog.h"
#include "ui/window/AboutContent.h"

class TextButton;

// "About Tallybird": a sheet over the window with the program's icon and name, the version line
// and the two statements, all centred and wrapping. It is wide enough for its title and sized
// to its text at the text scale it was built at, so nothing is cut short at any scale. "Done"
// or Escape closes it.
class AboutBox : public SheetDialog {
    Q_OBJECT
public:
    AboutBox(const AboutContent& content, QWidget* parent);

    TextButton* doneButton() const { return done_; }

    // The design width at the text scale 1.0; it grows with the scale.
    static constexpr int baseWidth = 380;

private:
    TextButton* done_;
};
