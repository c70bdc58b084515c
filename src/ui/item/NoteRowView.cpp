// One row of the notes thread.
#include "NoteRowView.h"

#include "AuthorButton.h"
#include "ui/components/Accessibility.h"
#include "ui/components/SymbolButton.h"
#include "ui/components/TextLabel.h"
#include "ui/theme/DesignFont.h"
#include "ui/theme/ThemeColour.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

NoteRowView::NoteRowView(const NotesThreadModel::Row& row, QWidget* parent) : QWidget(parent) {
    // Tab only: a click on the words leaves the keyboard where it was.
    setFocusPolicy(Qt::TabFocus);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    if (row.showsAvatar) {
        author_ = new AuthorButton(row.display, row.avatarLabel, this);
        connect(author_, &QAbstractButton::clicked, this, &NoteRowView::authorClicked);
        layout->addWidget(author_, 0, Qt::AlignTop);
    }
    auto* column = new QVBoxLayout;
    column->setSpacing(2);
    if (row.nameLine) {
        column->addWidget(new TextLabel(*row.nameLine, DesignFont::smallHeading(),
                                        Theme::Colour::onSurfaceVariant, this));
    }
    auto* text = new TextLabel(row.text, DesignFont::system(17), Theme::Colour::onSurface, this);
    text->setWordWrap(true);
    QSizePolicy policy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    policy.setHeightForWidth(true); // a long note wraps in full
    text->setSizePolicy(policy);
    column->addWidget(text);
    // Beside a 44-point badge or button, a one-line note sits in the middle of the row.
    if (row.showsAvatar || row.deleteLabel)
        column->setContentsMargins(0, 6, 0, 6);
    layout->addLayout(column, 1);
    if (row.deleteLabel) {
        delete_ =
            new SymbolButton(QStringLiteral("xmark"), DesignFont::styleSize(TextStyle::caption),
                             Theme::Colour::onSurfaceVariant, *row.deleteLabel, this);
        connect(delete_, &QAbstractButton::clicked, this, &NoteRowView::deleteClicked);
        layout->addWidget(delete_, 0, Qt::AlignTop);
    }
    Accessibility::apply(this,
                         {row.nameLine ? *row.nameLine + QStringLiteral(", ") + row.text : row.text,
                          {},
                          {},
                          AccessibleTrait::staticText,
                          {}});
}
