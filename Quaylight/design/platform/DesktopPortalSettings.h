#pragma once
// The desktop portal's settings (org.freedesktop.portal.Settings on the session bus), which
// GNOME and every desktop implementing the portal answer: one setting read without waiting,
// and the changes the portal announces. Where no portal answers, nothing ever arrives.

#include <QString>
#include <QVariant>
#include <functional>

class QObject;

namespace quaylight::desktopportal {

// Calls `onValue` with the setting's value, its variant wrappings removed, once the portal
// answers; never when it answers with an error. `context` owns the pending call.
void read(QObject* context, const QString& group, const QString& key, std::function<void(const QVariant&)> onValue);

// Calls `onChange` with each setting the portal announces as changed, for as long as
// `context` lives.
void followChanges(QObject* context,
                   std::function<void(const QString& group, const QString& key, const QVariant& value)> onChange);

}  // namespace quaylight::desktopportal
