#pragma once

// A parsed rules script: the tests and commands of the Sieve subset, checked and ready to run.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

enum class TMatchType { Is, Contains, Matches, Value };
enum class TRelation { Gt, Ge, Lt, Le, Eq, Ne };
enum class TComparator { AsciiCasemap, Octet, AsciiNumeric };
enum class TAddressPart { All, LocalPart, Domain };

// How values and keys are compared: the match type, its relation, the comparator.
struct TMatchSpec {
    TMatchType type = TMatchType::Is;
    TRelation relation = TRelation::Eq; // for Value
    TComparator comparator = TComparator::AsciiCasemap;
};

struct TTest {
    enum class Kind {
        True,
        False,
        Not,
        AllOf,
        AnyOf,
        Header,
        Address,
        Exists,
        SizeOver,
        SizeUnder,
        Date,
        SpamTest
    };
    Kind kind = Kind::True;
    int line = 0;
    int column = 0;
    std::vector<TTest> children;    // Not (one), AllOf, AnyOf
    std::vector<std::string> names; // header field names, lower case (Date: one)
    std::vector<std::string> keys;  // folded by the comparator already
    TMatchSpec match;
    TAddressPart part = TAddressPart::All;
    uint64_t size = 0;
    // Date: the part of the date compared, and the zone it is read in.
    std::string datePart;
    enum class Zone { Local, Original, Fixed } zone = Zone::Local;
    int zoneMinutes = 0; // east of UTC, for Fixed
};

struct TCommand;

// One arm of an if: its test (none for else) and its commands.
struct TBranch {
    std::unique_ptr<TTest> test;
    std::vector<TCommand> block;
};

struct TCommand {
    enum class Kind { If, Keep, Discard, Stop };
    Kind kind = Kind::Stop;
    int line = 0;
    int column = 0;
    std::vector<TBranch> branches; // If: if, elsif..., else
};

// A command at the script's top level: what a decision is put down to.
struct TRule {
    TCommand command;
    std::string name; // from a "# rule: NAME" comment before it; may be empty
    size_t begin = 0; // byte offsets of its text in the script
    size_t end = 0;
};

struct TScript {
    std::vector<std::string> required; // capabilities named by require, lower case
    std::vector<TRule> rules;
    size_t requireEnd = 0; // byte offset after the leading require commands' line
};
