// The lists page's empty state.
#include "ListsEmptyState.h"

#include "ListsScreenModel.h"
#include "ui/components/Accessibility.h"
#include "ui/components/PrimaryButton.h"
#include "ui/components/SymbolView.h"
#include "ui/components/TextLabel.h"
#include "ui/theme/DesignFont.h"
#include "ui/theme/ThemeColour.h"

#include <QVBoxLayout>

ListsEmptyState::ListsEmptyState(QWidget* parent) : QWidget(parent) {
    using namespace Theme;
    auto* symbol = new SymbolView(ListsScreenModel::emptySymbol(),
                                  DesignFont::styleSize(TextStyle::largeTitle) * 1.6,
                                  Colour::onSurfaceVariant);
    auto* title = new TextLabel(ListsScreenModel::emptyTitle(),
                                DesignFont::system(22, QFont::DemiBold), Colour::onSurface);
    auto* message = new TextLabel(ListsScreenModel::emptyMessage(), DesignFont::system(15),
                                  Colour::onSurfaceVariant);
    for (QLabel* label : {static_cast<QLabel*>(title), static_cast<QLabel*>(message)}) {
        label->setAlignment(Qt::AlignHCenter);
        label->setWordWrap(true);
    }
    action_ = new PrimaryButton(ListsScreenModel::emptyActionTitle());

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(32, 32, 32, 32);
    layout->setSpacing(12);
    layout->addStretch(1);
    layout->addWidget(symbol, 0, Qt::AlignHCenter);
    layout->addWidget(title);
    layout->addWidget(message);
    layout->addSpacing(4);
    layout->addWidget(action_, 0, Qt::AlignHCenter);
    layout->addStretch(1);
    connect(action_, &QAbstractButton::clicked, this, &ListsEmptyState::makeListRequested);
}
