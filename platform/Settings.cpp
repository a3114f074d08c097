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
    if (value.typeId() == QMetaType::QByteArray)
        return value.toByteArray().toStdString();
    if (!value.isValid() || !value.canConvert<QString>())
        return std::nullopt;
    return value.toString().toStdString();
}

bool Write(const std::string& name, const std::string& value)
{
    QSettings store = openStore();
    // Text is stored as text; bytes that are not UTF-8 (a mount point
    // may hold any) as bytes, which a QString would replace.
    const QByteArray bytes(value.data(), qsizetype(value.size()));
    const QString text = QString::fromUtf8(bytes);
    if (text.toUtf8() == bytes)
        store.setValue(QString::fromStdString(name), text);
    else
        store.setValue(QString::fromStdString(name), bytes);
    store.sync();
    return store.status() == QSettings::NoError;
}

} // namespace Settings
