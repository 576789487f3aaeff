#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <memory>
#include <string>
#include <vector>

class QSocketNotifier;

namespace tulvo {

// One desktop program per settings store: two programs on one store would
// each save their own image over the other's at exit. The first start on a
// store holds an flock on a lock file named after the store's canonical path
// (in $XDG_RUNTIME_DIR, else the temporary folder) with its process id in
// it, and listens on a Unix socket of the same name that only its user may
// connect to. A later start on that
// store asks the first, through the socket, to bring its window to the front
// (and to offer the configuration file it was started with, if any) and then
// ends; when the first does not answer, the later one is refused with a
// message naming it.
class SingleInstance : public QObject {
    Q_OBJECT
  public:
    enum class Role {
        First,       // this program serves the store
        HandedOver,  // the running program was asked to show its window
        Refused,     // the running program does not answer; see Refusal()
    };

    // offeredFile: a configuration file this start was given, handed to the
    // running program when there is one (an absolute path, or empty).
    explicit SingleInstance(const std::string& storePath, QString offeredFile = {},
                            QObject* parent = nullptr);
    ~SingleInstance() override;
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // Takes the store for this program, or asks the one that has it. Needs
    // no application object and may run on another thread, but not at the
    // same time as Serve(). Waits a few seconds at most.
    Role Claim();
    // Answers later starts from now on, on the thread of the program's
    // events (once Claim() has given First).
    void Serve();
    // Why this start was refused, naming the running program, for the operator.
    const QString& Refusal() const { return refusal_; }

  signals:
    // Another start on the same store asked for the window.
    void raiseRequested();
    // ... and was given this configuration file to load.
    void fileOffered(const QString& path);

  private:
    // A program that connected, until its request line is complete.
    struct Peer {
        int fd = -1;
        QSocketNotifier* notifier = nullptr;
        QByteArray received;
    };

    bool Listen();
    // The line a later start sends: the window, or the window and a file.
    QByteArray Request() const;
    void Answer(int fd, const QByteArray& line);
    bool AskRunningToRaise() const;
    void Accept();
    void Read(int fd);
    // Forgets a connected program; close: also closes its socket.
    void Drop(int fd, bool close = true);
    QString RunningProcess() const;

    std::string storePath_;
    QString offeredFile_;
    QString lockPath_;
    QString socketPath_;
    int lockFd_ = -1;
    int serverFd_ = -1;
    QSocketNotifier* server_ = nullptr;
    std::vector<Peer> peers_;
    QString refusal_;
};

}  // namespace tulvo
