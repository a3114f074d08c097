#include "ui/EndingSignalWatcher.h"

TEndingSignalWatcher::TEndingSignalWatcher(std::function<void()> onSignal)
{
    if (FSignals.NoticeDescriptor() < 0)
        return;
    FNotifier = std::make_unique<QSocketNotifier>(FSignals.NoticeDescriptor(), QSocketNotifier::Read);
    QObject::connect(FNotifier.get(), &QSocketNotifier::activated, FNotifier.get(),
                     [this, onSignal = std::move(onSignal)] {
                         FSignals.Drain();
                         onSignal();
                     });
}
