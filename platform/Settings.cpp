#include "platform/Settings.h"

#include <QSettings>
#include <QStandardPaths>
#include <QString>

namespace Settings {

namespace {

// Always the INI format in the user's configuration folder, whatever the
// application object says about organisation names.
QSettings openStore()
{
    return QSettings(QString::fromStdString(ConfigFolder() + "Vantrel.conf"), QSettings::IniFormat);
}

} // namespace

std::string ConfigFolder()
{
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty())
        base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return base.toStdString() + "/Vantrel/";
}

std::optional<std::string> Read(const std::string& name)
{
    const QSettings store = openStore();
    if (store.status() != QSettings::NoError)
        return std::nullopt;
    const QVariant value = store.value(QString::fromStdString(name));
    if (!value.isValid() || !value.canConvert<QString>())
        return std::nullopt;
    return value.toString().toStdString();
}

bool Write(const std::string& name, const std::string& value)
{
    QSettings store = openStore();
    store.setValue(QString::fromStdString(name), QString::fromStdString(value));
    store.sync();
    return store.status() == QSettings::NoError;
}

} // namespace Settings
