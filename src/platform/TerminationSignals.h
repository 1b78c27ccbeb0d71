#pragma once
// SIGTERM and SIGINT as a Qt signal on the main thread, so that a termination
// by the session or by Ctrl-C runs the same quit path as the Quit command.
// The C signal handler only writes to a pipe; the main loop reads it.
#include <QObject>

class QSocketNotifier;

namespace dexaro {

class TerminationSignals : public QObject {
    Q_OBJECT
public:
    // Installs the handlers; at most one instance at a time.
    explicit TerminationSignals(QObject* parent = nullptr);
    // Restores the default handlers.
    ~TerminationSignals() override;

    bool isInstalled() const { return m_notifier != nullptr; }

signals:
    void terminationRequested(int signalNumber);

private:
    void readPipe();
    QSocketNotifier* m_notifier = nullptr;
};

} // namespace dexaro
