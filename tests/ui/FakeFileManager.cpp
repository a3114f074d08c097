// A stand-in for the desktop's file manager on a private session bus: it
// owns org.freedesktop.FileManager1 and records each ShowItems call, one
// argument a line, in the file named by its first argument. With
// "--refuse" it answers every call with an error instead. It prints
// "ready" once it owns the name.

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QFile>
#include <QObject>
#include <QSaveFile>
#include <QStringList>

#include <cstdio>

class TFakeFileManager : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")
public:
    TFakeFileManager(QString record, bool refuse) : FRecord(std::move(record)), FRefuse(refuse) {}

public slots:
    void ShowItems(const QStringList& uris, const QString& startupId)
    {
        QSaveFile out(FRecord);
        if (out.open(QIODevice::WriteOnly)) {
            out.write((uris.join(QLatin1Char('\n')) + QLatin1Char('\n') + startupId + QLatin1Char('\n')).toUtf8());
            out.commit();
        }
        if (FRefuse)
            sendErrorReply(QDBusError::Failed, QStringLiteral("no window to show it in"));
    }

private:
    QString FRecord;
    bool FRefuse;
};

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    if (argc < 2)
        return 2;
    const bool refuse = argc > 2 && QString::fromLocal8Bit(argv[2]) == QStringLiteral("--refuse");
    TFakeFileManager manager(QString::fromLocal8Bit(argv[1]), refuse);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerObject(QStringLiteral("/org/freedesktop/FileManager1"), &manager,
                            QDBusConnection::ExportAllSlots)
        || !bus.registerService(QStringLiteral("org.freedesktop.FileManager1")))
        return 1;
    std::puts("ready");
    std::fflush(stdout);
    return application.exec();
}

#include "FakeFileManager.moc"
