// Tab stops in an order of the panes' own choosing.
#include "FocusOrder.h"

#include <QApplication>
#include <QScrollArea>
#include <QWidget>

#include <algorithm>

namespace FocusOrder {

bool takesTab(const QWidget* widget) {
    return widget && widget->isVisible() && widget->isEnabled() &&
           (widget->focusPolicy() & Qt::TabFocus) == Qt::TabFocus;
}

QList<QWidget*> inReadingOrder(QWidget* root) {
    struct Place {
        QWidget* widget;
        QRect rect;
    };
    QList<Place> places;
    for (QWidget* widget : root->findChildren<QWidget*>())
        if (takesTab(widget))
            places.append({widget, QRect(widget->mapTo(root, QPoint(0, 0)), widget->size())});
    std::stable_sort(places.begin(), places.end(), [](const Place& a, const Place& b) {
        return a.rect.top() != b.rect.top() ? a.rect.top() < b.rect.top()
                                            : a.rect.left() < b.rect.left();
    });
    // A line is the widgets whose middle lies beside the first one of it: a button centred on a
    // taller field stands on the field's line.
    QList<QWidget*> order;
    for (qsizetype first = 0; first < places.size();) {
        const QRect& head = places.at(first).rect;
        qsizetype end = first + 1;
        while (end < places.size() && places.at(end).rect.center().y() <= head.bottom())
            ++end;
        std::stable_sort(
            places.begin() + first, places.begin() + end,
            [](const Place& a, const Place& b) { return a.rect.left() < b.rect.left(); });
        for (qsizetype i = first; i < end; ++i)
            order.append(places.at(i).widget);
        first = end;
    }
    return order;
}

int stopOf(const QList<QWidget*>& stops, const QWidget* focus) {
    for (const QWidget* widget = focus; widget; widget = widget->parentWidget()) {
        const qsizetype at = stops.indexOf(const_cast<QWidget*>(widget));
        if (at >= 0)
            return int(at);
        if (widget->isWindow())
            break;
    }
    return -1;
}

int nextStop(const QList<QWidget*>& stops, int from, bool forward) {
    for (int i = from + (forward ? 1 : -1); i >= 0 && i < stops.size(); i += forward ? 1 : -1)
        if (takesTab(stops.at(i)))
            return i;
    return -1;
}

void focus(QWidget* widget, bool forward) {
    widget->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    for (QWidget* around = widget->parentWidget(); around; around = around->parentWidget())
        if (auto* area = qobject_cast<QScrollArea*>(around))
            area->ensureWidgetVisible(widget);
}

void keepInSight(QScrollArea* area) {
    QObject::connect(qApp, &QApplication::focusChanged, area, [area](QWidget*, QWidget* now) {
        if (now && area->widget() && area->widget()->isAncestorOf(now))
            area->ensureWidgetVisible(now);
    });
}

} // namespace FocusOrder
