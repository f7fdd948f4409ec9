#include "Rules.h"

#include <ctime>
#include <deque>

#include "Addresses.h"
#include "HeaderFields.h"
#include "MailDate.h"
#include "Matching.h"
#include "Parser.h"

namespace {

// The zone the date test reads a date in when the script names none: the machine's own.
int LocalZoneMinutes(int64_t utcSeconds) {
    const time_t t = static_cast<time_t>(utcSeconds);
    struct tm local {};
    if (!::localtime_r(&t, &local))
        return 0;
    return static_cast<int>(local.tm_gmtoff / 60);
}

class TRun {
public:
    explicit TRun(const TMailFacts& mail) : mail_(mail), fields_(mail.header) {}

    TRuleDecision Decide(const TScript& script) {
        for (const TRule& rule : script.rules) {
            rule_ = &rule;
            run(rule.command);
            if (stopped_)
                break;
        }
        return kept_.action != TRuleAction::None ? kept_ : discarded_;
    }

private:
    void note(TRuleDecision& slot, TRuleAction action) {
        if (slot.action == TRuleAction::None)
            slot = {action, rule_->command.line, rule_->name};
    }

    void run(const TCommand& c) {
        switch (c.kind) {
        case TCommand::Kind::Keep:
            note(kept_, TRuleAction::Keep);
            return;
        case TCommand::Kind::Discard:
            note(discarded_, TRuleAction::Discard);
            return;
        case TCommand::Kind::Stop:
            stopped_ = true;
            return;
        case TCommand::Kind::If:
            for (const TBranch& b : c.branches) {
                if (b.test && !holds(*b.test))
                    continue;
                for (const TCommand& inner : b.block) {
                    run(inner);
                    if (stopped_)
                        return;
                }
                return;
            }
        }
    }

    bool holds(const TTest& t) {
        switch (t.kind) {
        case TTest::Kind::True:
            return true;
        case TTest::Kind::False:
            return false;
        case TTest::Kind::Not:
            return !holds(t.children[0]);
        case TTest::Kind::AllOf:
            for (const TTest& c : t.children)
                if (!holds(c))
                    return false;
            return true;
        case TTest::Kind::AnyOf:
            for (const TTest& c : t.children)
                if (holds(c))
                    return true;
            return false;
        case TTest::Kind::Exists:
            for (const std::string& name : t.names)
                if (!fields_.Has(name))
                    return false;
            return true;
        case TTest::Kind::SizeOver:
            return mail_.size > t.size;
        case TTest::Kind::SizeUnder:
            return mail_.size < t.size;
        case TTest::Kind::Header:
            for (const std::string& name : t.names)
                for (const std::string& value : cached(name, TCached::Decoded, t.match))
                    if (FoldedMatchesAnyKey(value, t.keys, t.match))
                        return true;
            return false;
        case TTest::Kind::Address:
            return address(t);
        case TTest::Kind::Date:
            return date(t);
        case TTest::Kind::SpamTest:
            return mail_.spamScore &&
                   MatchesAnyKey(std::to_string(*mail_.spamScore), t.keys, t.match);
        }
        return false;
    }

    bool address(const TTest& t) {
        for (const std::string& name : t.names)
            for (const std::string& a : cached(name, TCached::Addresses, t.match)) {
                std::string_view part;
                if (AddressPartOf(a, t.part, part) && FoldedMatchesAnyKey(part, t.keys, t.match))
                    return true;
            }
        return false;
    }

    // A field's decoded values or addresses, folded as the comparator wants them: several
    // rules (the sender lists above all) ask for the same ones.
    struct TCached {
        enum Kind { Decoded, Addresses } kind;
        bool folded;
        std::string_view name;
        std::vector<std::string> values;
    };
    const std::vector<std::string>& cached(std::string_view name, TCached::Kind kind,
                                           const TMatchSpec& match) {
        const bool folded = match.comparator == TComparator::AsciiCasemap;
        for (const TCached& c : cache_)
            if (c.kind == kind && c.folded == folded && c.name == name)
                return c.values;
        std::vector<std::string> values;
        if (kind == TCached::Decoded) {
            values = fields_.Decoded(name);
        } else {
            for (const std::string& value : fields_.Raw(name))
                for (std::string& a : AddressesOf(value))
                    values.push_back(std::move(a));
        }
        if (folded)
            for (std::string& v : values)
                v = Folded(v, match.comparator);
        cache_.push_back({kind, folded, name, std::move(values)});
        return cache_.back().values;
    }

    bool date(const TTest& t) {
        // Only the first occurrence of the field counts; one that is no date fails the test.
        const std::vector<std::string> values = fields_.Raw(t.names[0]);
        const auto d = values.empty() ? std::nullopt : ParseMailDate(values[0]);
        if (!d)
            return false;
        const int zone = t.zone == TTest::Zone::Fixed      ? t.zoneMinutes
                         : t.zone == TTest::Zone::Original ? d->zoneMinutes
                                                           : LocalZoneMinutes(d->utcSeconds);
        return MatchesAnyKey(DatePartText(d->utcSeconds, zone, t.datePart), t.keys, t.match);
    }

    const TMailFacts& mail_;
    THeaderFields fields_;
    const TRule* rule_ = nullptr;
    std::deque<TCached> cache_; // references to its values stay valid as it grows
    TRuleDecision kept_, discarded_;
    bool stopped_ = false;
};

} // namespace

TRules::TRules(std::string_view script) : script_(ParseScript(script)) {}

TRuleDecision TRules::Decide(const TMailFacts& mail) const {
    return TRun(mail).Decide(script_);
}
