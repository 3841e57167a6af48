#pragma once
// Panel content for the shell's tests, which run without the popover: one Quit button, so a
// test can tell that what the panel shows reaches the quit it was given.

#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>
#include <functional>

namespace quaylight::testsupport {

inline QWidget* makeQuitOnlyContent(std::function<void()> quit) {
    auto* content = new QWidget();
    auto* layout = new QVBoxLayout(content);
    auto* button = new QPushButton(QStringLiteral("Quit"), content);
    button->setAccessibleName(QStringLiteral("Quit"));
    QObject::connect(button, &QAbstractButton::clicked, content, [quit = std::move(quit)] {
        if (quit) quit();
    });
    layout->addWidget(button, 0, Qt::AlignRight | Qt::AlignBottom);
    return content;
}

}  // namespace quaylight::testsupport
