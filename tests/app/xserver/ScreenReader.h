// What a screen reader finds of the program's window, for the journey's steps, which run inside
// the program. With an accessibility bus (CTest starts the journey in a D-Bus session of its own
// and names the client in TALLYBIRD_SCREEN_READER_PYTHON and TALLYBIRD_SCREEN_READER_CLIENT) it
// asks over the bus, as a screen reader does, through screen_reader.py in a process of its own
// while the program goes on answering. Without one it asks Qt's accessibility interfaces inside
// the program, as the bus's bridge does, and says the role and state names the bus would.
#pragma once

#include "ui/support/AccessibleWalk.h"

#include <QAccessible>
#include <QApplication>
#include <QEventLoop>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QVariant>
#include <QWidget>

#include <optional>

class ScreenReader {
public:
    struct Element {
        int depth = 0;
        QString role; // as the bus names it: "push button", "heading", "list item", …
        QString name;
        QString description;
        QStringList states; // "checked", "selected", "expanded", …
        QStringList actions;
        QString text;
    };

    ScreenReader()
        : python_(qEnvironmentVariable("TALLYBIRD_SCREEN_READER_PYTHON")),
          client_(qEnvironmentVariable("TALLYBIRD_SCREEN_READER_CLIENT")) {}

    bool onTheBus() const { return !python_.isEmpty() && !client_.isEmpty(); }
    const QString& failure() const { return failure_; }

    // The elements shown in the program, in reading order; none (with failure() said) when the
    // reader could not ask.
    std::optional<QList<Element>> tree() {
        if (!onTheBus())
            return insideTree();
        const auto said = ask({QStringLiteral("tree")});
        if (!said)
            return std::nullopt;
        QList<Element> elements;
        for (const QByteArray& line : said->split('\n')) {
            if (line.trimmed().isEmpty())
                continue;
            const QJsonObject o = QJsonDocument::fromJson(line).object();
            elements.append(
                {o.value("depth").toInt(), o.value("role").toString(), o.value("name").toString(),
                 o.value("description").toString(), o.value("states").toVariant().toStringList(),
                 o.value("actions").toVariant().toStringList(), o.value("text").toString()});
        }
        return elements;
    }

    // Does the action of that name on the first element shown with that name.
    bool act(const QString& name, const QString& action) {
        if (onTheBus())
            return ask({QStringLiteral("do"), name, action}).has_value();
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (!top->isVisible())
                continue;
            QAccessibleInterface* element =
                AccessibleWalk::named(QAccessible::queryAccessibleInterface(top), name);
            if (!element)
                continue;
            QAccessibleActionInterface* actions = element->actionInterface();
            if (!actions || !actions->actionNames().contains(action)) {
                failure_ = name + QStringLiteral(" has no action ") + action;
                return false;
            }
            actions->doAction(action);
            return true;
        }
        failure_ = QStringLiteral("no element shown is named ") + name;
        return false;
    }

private:
    // What the client printed, once it ended well; the program answers the bus meanwhile.
    std::optional<QByteArray> ask(const QStringList& words) {
        QProcess client;
        client.start(python_, QStringList{client_, words.first(),
                                          QString::number(QCoreApplication::applicationPid())} +
                                  words.mid(1));
        // A loop of its own, not a wait that sleeps between turns: the client asks the program
        // hundreds of questions, each answered on one of these turns.
        QEventLoop loop;
        QObject::connect(&client, &QProcess::finished, &loop, &QEventLoop::quit);
        QObject::connect(&client, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
        QTimer::singleShot(30'000, &loop, &QEventLoop::quit);
        if (client.state() != QProcess::NotRunning)
            loop.exec();
        if (client.state() != QProcess::NotRunning) {
            client.kill();
            client.waitForFinished();
            failure_ = QStringLiteral("the screen reader never answered");
            return std::nullopt;
        }
        if (client.exitStatus() != QProcess::NormalExit || client.exitCode() != 0) {
            failure_ = QStringLiteral("the screen reader said (%1): %2")
                           .arg(client.exitCode())
                           .arg(QString::fromUtf8(client.readAllStandardError()).trimmed());
            return std::nullopt;
        }
        return client.readAllStandardOutput();
    }

    std::optional<QList<Element>> insideTree() {
        QList<Element> elements;
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (!top->isVisible())
                continue;
            for (const AccessibleWalk::Element& e :
                 AccessibleWalk::shown(QAccessible::queryAccessibleInterface(top))) {
                QAccessibleInterface* face = e.element;
                QStringList actions;
                if (QAccessibleActionInterface* a = face->actionInterface())
                    actions = a->actionNames();
                QAccessibleTextInterface* text = face->textInterface();
                elements.append({e.depth + 1, roleName(face->role()), face->text(QAccessible::Name),
                                 face->text(QAccessible::Description), stateNames(face->state()),
                                 actions,
                                 text ? text->text(0, text->characterCount()) : QString()});
            }
        }
        return elements;
    }

    // The names the bus gives the roles and states the journey looks at.
    static QString roleName(QAccessible::Role role) {
        switch (role) {
        case QAccessible::Button:
            return QStringLiteral("push button");
        case QAccessible::CheckBox:
            return QStringLiteral("check box");
        case QAccessible::Heading:
            return QStringLiteral("heading");
        case QAccessible::List:
            return QStringLiteral("list");
        case QAccessible::Window:
            return QStringLiteral("frame");
        case QAccessible::ListItem:
            return QStringLiteral("list item");
        case QAccessible::StaticText:
            return QStringLiteral("label");
        case QAccessible::EditableText:
            return QStringLiteral("text");
        case QAccessible::Grouping:
        case QAccessible::Pane:
            return QStringLiteral("panel");
        default:
            return QStringLiteral("other");
        }
    }
    static QStringList stateNames(const QAccessible::State& state) {
        QStringList names{QStringLiteral("showing")};
        const std::pair<bool, const char*> known[] = {
            {bool(state.checked), "checked"},       {bool(state.selected), "selected"},
            {bool(state.expanded), "expanded"},     {bool(state.collapsed), "collapsed"},
            {bool(state.expandable), "expandable"}, {!state.disabled, "enabled"},
            {bool(state.focused), "focused"},
        };
        for (const auto& [on, name] : known)
            if (on)
                names.append(QString::fromLatin1(name));
        return names;
    }

    QString python_;
    QString client_;
    QString failure_;
};
