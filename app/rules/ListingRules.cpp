#include "ListingRules.h"

#include "AtomicFile.h"
#include "RelativeAges.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <system_error>

TListingRules::TListingRules() = default;
TListingRules::~TListingRules() = default;

TListingRules::TLoad TListingRules::Load(const QString& folder, const QString& server,
                                         const QString& user) {
    rules_.reset();
    decisions_.clear();
    scores_.clear();
    folder_ = folder;
    server_ = server;
    user_ = user;
    const QString account = AccountRulesFile(folder, server, user);
    file_ = QFileInfo::exists(account) ? account : SharedRulesFile(folder);
    auto rules = std::make_unique<TAccountRules>();
    const TRulesLoad read =
        LoadAccountRules(QFile::encodeName(folder).toStdString(), server.toStdString(),
                         user.toStdString(), *rules, LocalToday());
    TLoad load;
    load.Usable = read.Usable();
    if (!read.failed.empty())
        load.File = QFile::decodeName(QByteArray::fromStdString(read.failed));
    else if (!read.files.empty())
        load.File = QFile::decodeName(QByteArray::fromStdString(read.files.back()));
    load.Line = read.line;
    load.Column = read.column;
    load.Error = read.error;
    load.Why = QString::fromLocal8Bit(read.readError);
    if (load.Usable)
        rules_ = std::move(rules);
    return load;
}

TRuleDecision TListingRules::Decide(int number, std::string_view header, uint64_t size) {
    if (!rules_)
        return {};
    const auto score = scores_.find(number);
    TRuleDecision decision = rules_->Decide(
        {header, size, score == scores_.end() ? std::nullopt : std::optional(score->second)});
    decisions_[number] = decision;
    return decision;
}

const TRuleDecision& TListingRules::DecisionOf(int number) const {
    static const TRuleDecision none;
    const auto found = decisions_.find(number);
    return found == decisions_.end() ? none : found->second;
}

QString SharedRulesFile(const QString& folder) {
    return QDir(folder).filePath(QString::fromStdString(SharedRulesName()));
}

QString AccountRulesFile(const QString& folder, const QString& server, const QString& user) {
    return QDir(folder).filePath(
        QString::fromStdString(AccountRulesName(server.toStdString(), user.toStdString())));
}

bool ReadRulesFile(const QString& file, std::string& text, QString& why) {
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly)) {
        why = in.errorString();
        return false;
    }
    const QByteArray bytes = in.readAll();
    text.assign(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    return true;
}

bool WriteRulesFile(const QString& file, const std::string& text, QString& why) {
    // Friends and rules say whom the user writes with: owner-only, as copies and seen files.
    const std::string path = QFile::encodeName(QFileInfo(file).absoluteFilePath()).toStdString();
    const std::string folder = QFile::encodeName(QFileInfo(file).absolutePath()).toStdString();
    try {
        MakeOwnerOnlyFolder(folder);
        WriteFileAtomically(path, text);
    } catch (const std::system_error& e) {
        why = QString::fromLocal8Bit(e.what());
        return false;
    }
    return true;
}
