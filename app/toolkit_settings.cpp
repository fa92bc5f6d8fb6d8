#include "app/toolkit_settings.h"

#include <QSettings>

namespace dp {

void KeepToolkitSettingsInMemory() {
    // The toolkit opens its store by organisation name in the native format. A folder below a device
    // can be made by no one, root included, so that store is read as empty and never written, with
    // no folder or file appearing anywhere; the values live in memory for the run.
    static const bool done = [] {
        for (const QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat})
            for (const QSettings::Scope scope : {QSettings::UserScope, QSettings::SystemScope})
                QSettings::setPath(format, scope, QStringLiteral("/dev/null"));
        return true;
    }();
    (void)done;
}

} // namespace dp
