// QSettings in INI form at an explicit path. QSettings would keep the keys it
// could parse from a corrupt file and refuse to write it back; here such a
// file gives nothing, and is replaced whole by the next value stored.
#include "IniPreferences.h"

#include <QFile>
#include <QFileInfo>
#include <QSettings>

namespace cendrel {

IniPreferences::IniPreferences(std::string path) : path_(std::move(path))
{
    const QString file = QString::fromStdString(path_);
    settings_ = std::make_unique<QSettings>(file, QSettings::IniFormat);
    unusable_ = settings_->status() != QSettings::NoError || (QFileInfo::exists(file) && !QFileInfo(file).isReadable());
}

IniPreferences::~IniPreferences() = default;

std::optional<std::int64_t> IniPreferences::integer(const std::string& key)
{
    if (unusable_)
        return std::nullopt;
    const QVariant value = settings_->value(QString::fromStdString(key));
    if (!value.isValid())
        return std::nullopt;
    bool ok = false;
    const qlonglong number = value.toString().trimmed().toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    return static_cast<std::int64_t>(number);
}

bool IniPreferences::setInteger(const std::string& key, std::int64_t value)
{
    const QString file = QString::fromStdString(path_);
    if (unusable_) {
        settings_.reset();
        QFile::remove(file);
    }
    // QSettings goes on reporting a failed write for good: start afresh.
    if (unusable_ || settings_->status() != QSettings::NoError) {
        settings_ = std::make_unique<QSettings>(file, QSettings::IniFormat);
        // Qt may hand back what it parsed from the corrupt file before.
        if (unusable_)
            settings_->clear();
        unusable_ = false;
    }
    settings_->setValue(QString::fromStdString(key), static_cast<qlonglong>(value));
    settings_->sync();
    return settings_->status() == QSettings::NoError;
}

} // namespace cendrel
