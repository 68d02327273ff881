// The lock command through QProcess: no shell, the words as given. Its
// output goes where ours goes. Lockers that stay in the foreground until
// unlocked (slock) never exit in time; their keyboard grab is the evidence.
#include "LockCommand.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTimer>

#include <memory>

namespace cendrel {

namespace {

class CommandRequest final : public LockRequest {
public:
    CommandRequest(const QString& program, const QStringList& arguments, LockReplyHandler onReply)
        : process_(new QProcess), onReply_(std::move(onReply))
    {
        process_->setProcessChannelMode(QProcess::ForwardedChannels);
        process_->setStandardInputFile(QProcess::nullDevice());
        QObject::connect(process_, &QProcess::finished, [this](int status, QProcess::ExitStatus how) {
            report(how == QProcess::NormalExit && status == 0
                       ? LockReport{LockReport::Outcome::locked, LockFailure::refused}
                       : LockReport{LockReport::Outcome::failed, LockFailure::refused});
        });
        QObject::connect(process_, &QProcess::errorOccurred, [this](QProcess::ProcessError error) {
            if (error == QProcess::FailedToStart)
                report({LockReport::Outcome::failed, LockFailure::unavailable});
        });
        process_->start(program, arguments);
    }
    ~CommandRequest() override
    {
        process_->disconnect();
        if (process_->state() == QProcess::NotRunning) {
            process_->deleteLater();
            return;
        }
        // Killing a locker would unlock the screen: it goes on, and its
        // process object goes when it ends.
        QObject::connect(process_, &QProcess::finished, process_, &QObject::deleteLater);
    }

private:
    // Passed on from the loop: QProcess may say it failed to start from
    // inside start().
    void report(LockReport report)
    {
        QTimer::singleShot(0, process_, [this, alive = std::weak_ptr<bool>(alive_), report] {
            if (!alive.lock())
                return;
            if (const auto onReply = std::exchange(onReply_, nullptr))
                onReply(report);
        });
    }

    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    QProcess* process_;
    LockReplyHandler onReply_;
};

} // namespace

namespace {
QString programOf(const std::vector<std::string>& argv)
{
    return argv.empty() ? QString() : QStandardPaths::findExecutable(QString::fromStdString(argv[0]));
}
} // namespace

bool lockCommandFound(const std::vector<std::string>& argv)
{
    return !programOf(argv).isEmpty();
}

std::unique_ptr<LockRequest> startLockCommand(const std::vector<std::string>& argv, LockReplyHandler onReply)
{
    const QString program = programOf(argv);
    if (program.isEmpty())
        return nullptr;
    QStringList arguments;
    for (std::size_t i = 1; i < argv.size(); ++i)
        arguments << QString::fromStdString(argv[i]);
    return std::make_unique<CommandRequest>(program, arguments, std::move(onReply));
}

} // namespace cendrel
