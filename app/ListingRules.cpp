#include "ListingRules.h"

#include "RelativeAges.h"
#include "RuleError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

QString FileNamePart(const QString& text) {
    QString part = text;
    for (QChar& c : part) {
        const bool plain = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') ||
                           (c >= u'0' && c <= u'9') || c == u'.' || c == u'@' || c == u'_' ||
                           c == u'-';
        if (!plain)
            c = u'_';
    }
    return part;
}

} // namespace

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
    TLoad load;
    if (!QFileInfo::exists(file_))
        return load;
    load.File = file_;
    std::string text;
    if (!ReadRulesFile(file_, text, load.Why))
        return load;
    try {
        rules_ = std::make_unique<TRules>(WithAgesFrom(text, LocalToday()));
        load.Usable = true;
    } catch (const ERuleError& error) {
        load.Line = error.Line;
        load.Column = error.Column;
        load.Why = QString::fromUtf8(error.what());
    }
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
    return QDir(folder).filePath(QStringLiteral("rules.sieve"));
}

QString AccountRulesFile(const QString& folder, const QString& server, const QString& user) {
    return QDir(folder).filePath(
        QStringLiteral("rules-%1-%2.sieve").arg(FileNamePart(server), FileNamePart(user)));
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
    if (!QDir().mkpath(QFileInfo(file).absolutePath())) {
        why = QStringLiteral("cannot create %1").arg(QFileInfo(file).absolutePath());
        return false;
    }
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly) ||
        out.write(text.data(), static_cast<qint64>(text.size())) !=
            static_cast<qint64>(text.size()) ||
        !out.commit()) {
        why = out.errorString();
        return false;
    }
    return true;
}
