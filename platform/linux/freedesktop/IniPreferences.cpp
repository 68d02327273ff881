// QSettings in INI form at an explicit path. QSettings would keep the keys it
// could parse from a corrupt file and refuse to write it back; here such a
// file gives nothing, and is replaced whole by the next value stored. So
// does a file far larger than two numbers need, which QSettings would read
// whole into memory, slowly, before the tray shows.
#include "IniPreferences.h"

#include <QFile>
#include <QFileInfo>
#include <QSettings>

namespace cendrel {

namespace {
constexpr qint64 largestReadable = 64 * 1024;
}

IniPreferences::IniPreferences(std::string path) : path_(std::move(path))
{
    const QString file = QString::fromStdString(path_);
    const QFileInfo info(file);
    if (info.exists() && (!info.isReadable() || info.size() > largestReadable)) {
        unusable_ = true;
        return;
    }
    settings_ = std::make_unique<QSettings>(file, QSettings::IniFormat);
    unusable_ = settings_->status() != QSettings::NoError;
}

IniPreferences::~IniPreferences() = default;

std::optional<QVariant> IniPreferences::stored(const std::string& key) const
{
    if (unusable_)
        return std::nullopt;
    QVariant value = settings_->value(QString::fromStdString(key));
    if (!value.isValid())
        return std::nullopt;
    return value;
}

std::optional<std::int64_t> IniPreferences::integer(const std::string& key)
{
    const auto value = stored(key);
    if (!value)
        return std::nullopt;
    bool ok = false;
    const qlonglong number = value->toString().trimmed().toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    return static_cast<std::int64_t>(number);
}

std::optional<std::string> IniPreferences::text(const std::string& key)
{
    const auto value = stored(key);
    if (!value)
        return std::nullopt;
    // QSettings would make a list of a value with a comma in it; the raw
    // text is what the user wrote.
    if (value->typeId() == QMetaType::QStringList)
        return value->toStringList().join(QStringLiteral(", ")).toStdString();
    return value->toString().toStdString();
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
