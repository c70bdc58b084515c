#pragma once

#include <QList>
#include <QSize>
#include <QString>

#include <functional>

class QWidget;

// One picture of the gallery: a widget built with sample data, rendered once per appearance and
// text scale. Files of shots register them with a static GalleryShot::Add.
struct GalleryShot {
    // Says what the picture shows; the file name starts with it ("components-buttons").
    QString name;
    // The widget's width; its height is what the widget needs at that width, unless `height`
    // is given.
    int width = 480;
    int height = 0;
    // Builds the widget with the appearance and text scale already set, as the window does.
    std::function<QWidget*()> build;
    // Runs once the widget is shown, before the picture is taken (to give a control the keyboard
    // focus, which only a shown window's controls can have); none by default.
    std::function<void(QWidget*)> shown = {};

    static QList<GalleryShot>& all();

    struct Add {
        explicit Add(GalleryShot shot) { all().append(std::move(shot)); }
    };
};
