// QSettings in INI form at an explicit path. A file QSettings cannot parse,
// or an entry that is not an integer, reads as nothing stored; the file is
// never written back until a value is set.
#include "LinuxUserDefaults.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include <cstdlib>
#include <optional>

namespace cendrel {

std::string xdgConfigHome()
{
    const char* configHome = std::getenv("XDG_CONFIG_HOME");
    if (configHome != nullptr && QDir::isAbsolutePath(QString::fromLocal8Bit(configHome)))
        return QString::fromLocal8Bit(configHome).toStdString();
    return (QDir::homePath() + QStringLiteral("/.config")).toStdString();
}

std::string preferencesFilePath()
{
    return xdgConfigHome() + "/Cendrel/Cendrel.conf";
}

LinuxUserDefaults::LinuxUserDefaults(std::string path) : path_(std::move(path))
{
    const QString file = QString::fromStdString(path_);
    settings_ = std::make_unique<QSettings>(file, QSettings::IniFormat);
    const bool present = QFileInfo::exists(file);
    unusable_ = settings_->status() != QSettings::NoError || (present && !QFileInfo(file).isReadable());
}

LinuxUserDefaults::~LinuxUserDefaults() = default;

std::optional<std::int64_t> LinuxUserDefaults::read(const std::string& key)
{
    if (unusable_) {
        return std::nullopt;
    }
    const QVariant value = settings_->value(QString::fromStdString(key));
    if (!value.isValid()) {
        return std::nullopt;
    }
    bool ok = false;
    const qlonglong number = value.toString().trimmed().toLongLong(&ok);
    if (!ok) {
        return std::nullopt;
    }
    return static_cast<std::int64_t>(number);
}

bool LinuxUserDefaults::hasObject(const std::string& key)
{
    return read(key).has_value();
}

std::int64_t LinuxUserDefaults::integer(const std::string& key)
{
    return read(key).value_or(0);
}

void LinuxUserDefaults::setInteger(std::int64_t value, const std::string& key)
{
    const QString file = QString::fromStdString(path_);
    if (unusable_) {
        // Storing something new is the moment the unreadable file gives way.
        settings_.reset();
        QFile::remove(file);
        settings_ = std::make_unique<QSettings>(file, QSettings::IniFormat);
        unusable_ = false;
    }
    settings_->setValue(QString::fromStdString(key), static_cast<qlonglong>(value));
    settings_->sync();
}

} // namespace cendrel
