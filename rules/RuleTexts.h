#pragma once

#include "TextPair.h"

// What the rules library says about a script, a rule row or a sender, in German and English.
// %1, %2, ... are filled in by TRuleText.
namespace RuleTexts {

// The lexer.
inline constexpr TText ScriptTooLarge{"das Skript ist größer als %1 Bytes",
                                      "the script is larger than %1 bytes"};
inline constexpr TText CommentNotClosed{"ein Kommentar, der nie mit */ geschlossen wird",
                                        "a comment that is never closed with */"};
inline constexpr TText ColonNoTag{"ein ':', das keinen Tag beginnt", "a ':' that starts no tag"};
inline constexpr TText UnexpectedCharacter{"unerwartetes Zeichen '%1'",
                                           "unexpected character '%1'"};
inline constexpr TText NumberTooLarge{"eine zu große Zahl", "a number too large"};
inline constexpr TText NumberWithLetters{"eine Zahl, auf die Buchstaben folgen",
                                         "a number followed by letters"};
inline constexpr TText StringNotClosed{"eine Zeichenkette, die nie mit '\"' geschlossen wird",
                                       "a string that is never closed with '\"'"};
inline constexpr TText TextLineEnd{"text: muss am Ende seiner Zeile stehen",
                                   "text: must end its line"};
inline constexpr TText TextNotEnded{"ein text:, das nie mit einer Zeile endet, die nur '.' enthält",
                                    "a text: that never ends with a line holding only '.'"};

// What the parser found instead of what it expected.
inline constexpr TText EndOfScript{"das Ende des Skripts", "the end of the script"};
inline constexpr TText ANumber{"eine Zahl", "a number"};
inline constexpr TText AString{"eine Zeichenkette", "a string"};

// The parser.
inline constexpr TText RequireFirst{"require muss vor allen anderen Befehlen stehen",
                                    "require must come before every other command"};
inline constexpr TText Expected{"'%1' erwartet, nicht %2", "'%1' expected, not %2"};
inline constexpr TText TooDeep{"tiefer als %1 Ebenen verschachtelt",
                               "nested deeper than %1 levels"};
inline constexpr TText UnsupportedExtension{"nicht unterstützte Erweiterung \"%1\"",
                                            "unsupported extension \"%1\""};
inline constexpr TText NeedsRequire{"%1 braucht require \"%2\"", "%1 needs require \"%2\""};
inline constexpr TText DateTest{"der Test date", "the date test"};
inline constexpr TText SpamTest{"der Test spamtest", "the spamtest test"};
inline constexpr TText ValueMatch{"der Vergleichstyp :value", "the :value match type"};
inline constexpr TText NumericComparator{"der Comparator i;ascii-numeric",
                                         "the comparator i;ascii-numeric"};
inline constexpr TText StringOrListExpected{
    "eine Zeichenkette oder eine Liste von Zeichenketten erwartet, nicht %1",
    "a string or a list of strings expected, not %1"};
inline constexpr TText StringInListExpected{"eine Zeichenkette in der Liste erwartet, nicht %1",
                                            "a string expected in the list, not %1"};
inline constexpr TText CommandExpected{"ein Befehl erwartet, nicht %1",
                                       "a command expected, not %1"};
inline constexpr TText TestExpected{"ein Test erwartet, nicht %1", "a test expected, not %1"};
inline constexpr TText TakesNoArguments{"%1 hat keine Argumente: ';' erwartet",
                                        "%1 takes no arguments: ';' expected"};
inline constexpr TText WithoutIf{"%1 ohne ein if davor", "%1 without an if before it"};
inline constexpr TText UnsupportedCommand{
    "nicht unterstützter Befehl '%1': bekannt sind nur require, if, elsif, else, keep, discard "
    "und stop",
    "unsupported command '%1': only require, if, elsif, else, keep, discard and stop are known"};
inline constexpr TText UnknownDatePart{"unbekannter Datumsteil \"%1\"", "unknown date part \"%1\""};
inline constexpr TText UnsupportedTest{
    "nicht unterstützter Test '%1': bekannt sind nur address, allof, anyof, date, exists, false, "
    "header, not, size, spamtest und true",
    "unsupported test '%1': only address, allof, anyof, date, exists, false, header, not, size, "
    "spamtest and true are known"};
inline constexpr TText SizeArguments{"size nimmt :over oder :under und eine Zahl",
                                     "size takes :over or :under and a number"};
inline constexpr TText Twice{"%1 zum zweiten Mal", "a second %1"};
inline constexpr TText MatchType{"Vergleichstyp", "match type"};
inline constexpr TText Comparator{"Comparator", "comparator"};
inline constexpr TText AddressPart{"Adressteil", "address part"};
inline constexpr TText Zone{"Zeitzone", "zone"};
inline constexpr TText NeedsOneString{":%1 braucht genau eine Zeichenkette danach",
                                      ":%1 needs one string after it"};
inline constexpr TText UnknownRelation{"unbekannte Relation: gt, ge, lt, le, eq oder ne erwartet",
                                       "unknown relation: gt, ge, lt, le, eq or ne expected"};
inline constexpr TText UnsupportedComparator{"nicht unterstützter Comparator \"%1\"",
                                             "unsupported comparator \"%1\""};
inline constexpr TText ZoneExpected{"eine Zeitzone wie \"+0100\" oder \"-0500\" erwartet",
                                    "a zone such as \"+0100\" or \"-0500\" expected"};
inline constexpr TText UnsupportedTag{"nicht unterstützter Tag :%1 für %2",
                                      "unsupported tag :%1 for %2"};
inline constexpr TText NumericIsOrValue{"i;ascii-numeric vergleicht nur mit :is oder :value",
                                        "i;ascii-numeric compares with :is or :value only"};
inline constexpr TText ListExpectedHere{
    "%1: hier wird eine Zeichenkette oder eine Liste von Zeichenketten erwartet",
    "%1: a string or a list of strings expected here"};
inline constexpr TText OneListTooMany{
    "%1 nimmt nach seinen Tags eine Liste von Zeichenketten, dies ist eine zu viel",
    "%1 takes 1 string list after its tags, this one is too many"};
inline constexpr TText ListsTooMany{
    "%1 nimmt nach seinen Tags %2 Listen von Zeichenketten, dies ist eine zu viel",
    "%1 takes %2 string lists after its tags, this one is too many"};
inline constexpr TText OneListNeeded{"%1 nimmt nach seinen Tags eine Liste von Zeichenketten",
                                     "%1 takes 1 string list after its tags"};
inline constexpr TText ListsNeeded{"%1 nimmt nach seinen Tags %2 Listen von Zeichenketten",
                                   "%1 takes %2 string lists after its tags"};
inline constexpr TText OneString{"%1 ist eine Zeichenkette, keine Liste",
                                 "%1 is one string, not a list"};
inline constexpr TText FieldNameWord{"der Name des Kopffelds", "the header field name"};
inline constexpr TText DatePartWord{"der Datumsteil", "the date part"};
inline constexpr TText SpamScoreWord{"der Spam-Wert", "the spam score"};
inline constexpr TText NoFieldName{"\"%1\" ist kein Name eines Kopffelds",
                                   "\"%1\" is no header field name"};

// The blocks the rules dialog writes.
inline constexpr TText NoEndLine{"\"%1\" hat keine Zeile \"%2\" danach",
                                 "\"%1\" has no line \"%2\" after it"};
inline constexpr TText ListChanged{
    "die Absenderliste \"%1\" wurde außerhalb des Regeldialogs geändert",
    "the sender list \"%1\" was changed outside the rules dialog"};
inline constexpr TText NoSenderList{
    "eine Regel innerhalb der Absenderlisten, die keine Absenderliste ist",
    "a rule that is no sender list inside the sender lists"};

// The sender lists' rules as the list names them; the script keeps "friends" and "blocked".
inline constexpr TText FriendsName{"Freunde", "friends"};
inline constexpr TText BlockedName{"Gesperrt", "blocked"};

// Senders and rule rows.
inline constexpr TText EmptySender{"ein leerer Absender", "an empty sender"};
inline constexpr TText NoSender{"keine Adresse oder Domain: \"%1\"",
                                "no address or domain: \"%1\""};
inline constexpr TText NotUtf8{"%1 ist kein UTF-8-Text", "%1 is no UTF-8 text"};
inline constexpr TText HoldsControl{"%1 enthält ein Steuerzeichen", "%1 holds a control character"};
inline constexpr TText TheValue{"der Wert", "the value"};
inline constexpr TText TheName{"der Name", "the name"};
inline constexpr TText ComparisonNotOffered{"ein Vergleich, den das Feld nicht anbietet",
                                            "a comparison the field does not offer"};
inline constexpr TText NoSize{"\"%1\" ist keine Größe (Bytes, oder eine Zahl mit K, M oder G)",
                              "\"%1\" is no size (bytes, or a number with K, M or G)"};
inline constexpr TText NoDays{"\"%1\" ist keine Anzahl von Tagen", "\"%1\" is no number of days"};
inline constexpr TText NoScore{"\"%1\" ist kein Spam-Wert von 0 bis 10",
                               "\"%1\" is no spam score from 0 to 10"};
inline constexpr TText NoValue{"eine Regel ohne Wert", "a rule without a value"};

} // namespace RuleTexts
