#pragma once

#include "sync/CloudSharingSheet.h"
#include "ui/components/SheetDialog.h"

class TextLabel;

// The sheet a list's sharing opens into: two centred lines saying that people cannot be invited
// from this program yet, the second naming the list, which keeps syncing all the same. It has
// no buttons: Escape or the window's close control dismisses it. Its fonts follow the text scale
// in force when it is built.
class CloudSharingSheetView : public SheetDialog {
    Q_OBJECT

public:
    // The layout's measures, in design points.
    static constexpr int lineSpacing = 12;
    static constexpr int edgePadding = 24;
    static constexpr int leastWidth = 320;

    explicit CloudSharingSheetView(CloudSharingSheet sheet, QWidget* parent = nullptr);

    const CloudSharingSheet& sheet() const { return sheet_; }
    TextLabel* titleLabel() const { return title_; }
    TextLabel* messageLabel() const { return message_; }

private:
    CloudSharingSheet sheet_;
    TextLabel* title_;
    TextLabel* message_;
};
