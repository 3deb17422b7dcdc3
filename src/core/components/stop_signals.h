#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGINT, SIGTERM and SIGHUP into a Qt signal through a self-pipe, so a stop request is
// handled in the event loop like any other event: the run ends its converters cleanly. A second
// signal before the clean stop is done ends the program at once; the kernel then ends the
// converters, which are tied to our life, and the leftovers watcher what they started and the
// run's temporary files.
class StopSignals : public QObject
{
    Q_OBJECT
public:
    explicit StopSignals(QObject *parent = nullptr);
    ~StopSignals() override;

    // The signal that asked to stop, or 0.
    static int received();

signals:
    void stopRequested(int signal);

private:
    void onReadable();

    QSocketNotifier *m_notifier = nullptr;
};
