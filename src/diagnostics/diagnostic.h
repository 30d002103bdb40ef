#pragma once

// One diagnostic about a program text: an error, a warning or a note, with
// the word it is about, related places and the fixes that would remove it.
//
// The checks of a program produce lists of these; korvane-run, the reports
// and editors render them, and none of them builds message texts of its own.

#include <QJsonArray>
#include <QJsonObject>
#include <QLatin1String>
#include <QList>
#include <QString>
#include <QtGlobal>

namespace diagnostics
{

enum class Severity : quint8 { Error, Warning, Note };

// What a diagnostic found. Each code has one stable name (name()), which
// reports and editors show and scripts match; a name never changes.
enum class Code : quint8 {
    // Errors of a text the assembler refuses, and their notes.
    UnusualSpace,
    InvisibleCharacter,
    LookAlikeCharacter,
    UnknownMnemonic,
    OtherLanguageWord,
    MnemonicAsLabel,
    ExtraWords,
    BlankLine,
    CarriageReturnLineEnds,
    LabelWithoutData,
    NumberAsOperand,
    DataWithoutLabel,
    DataLabelAfterDat,
    Comment,
    UndefinedLabel,
    TwoInstructions,
    MissingInstruction,
    ProgramTooLong,
    LabelWithColon,
    DefinitionFailed,
    DefineVariable,
    TooManyErrors,
    AssemblyError,
    ProgramTooLarge,
    OperandArithmetic,
    OperandBrackets,
    QuotedOperand,
    OperandList,
    DataList,
    LineNumbers,
    LabelAlone,
    MnemonicAsVariable,
    OtherDirective,
    // Warnings about a text that assembles.
    EmptyProgram,
    NoHalt,
    UnlabelledData,
    DataLabelBeforeInstruction,
    OperandNotTaken,
    MissingOperand,
    DuplicateLabel,
    DataNotANumber,
    DataBeforeCode,
    StoreIntoCode,
    BranchIntoData,
    Unreachable,
    TooManyWarnings,
    // How a run ended, and the notes that help to read it.
    RunError,
    StepLimit,
    InputEnded,
    RunStartsOnData,
    RunIntoData,
    PastTheEnd,
    Looping,
    // A program file that is not UTF-8 text, at its first bad byte.
    NotUtf8,
};

// The stable name of a code: "undefined-label", "unknown-mnemonic", ...
QLatin1String name(Code code);

// A stretch of one line of the text. The line is counted from 1 with empty
// lines included (0: the whole program, no place in it); begin and end are
// byte offsets into the line's UTF-8 text, counted from 0, end excluded.
struct Range {
    qint32 line = 0;
    qint32 begin = 0;
    qint32 end = 0;

    // The 1-based byte column of the word, as Clang and vim's %c count.
    qint32 column() const { return begin + 1; }
    bool operator==(const Range &) const = default;
};

// Another place that helps to read a diagnostic: "first defined here".
struct Related {
    Range range;
    QString message;

    bool operator==(const Related &) const = default;
};

// Replaces the bytes of a range with a text; an empty range inserts it, and a
// range on the line after the last one appends it.
struct Edit {
    Range range;
    QString replacement;

    bool operator==(const Edit &) const = default;
};

// One way to remove the diagnostic's cause: all its edits together.
struct Fix {
    QString title; // for a person: "Replace 'oupt' with 'out'"
    QList<Edit> edits;

    bool operator==(const Fix &) const = default;
};

struct Diagnostic {
    Severity severity = Severity::Error;
    Code code = Code::AssemblyError;
    Range range;
    // One line, lower case, names quoted as written.
    QString message;
    QList<Related> related;
    QList<Fix> fixes;
    // The notes that help to read this diagnostic, in the order they are told.
    QList<Diagnostic> notes;

    Diagnostic() = default;
    Diagnostic(Severity severity, Code code, const Range &range, QString message)
        : severity(severity), code(code), range(range), message(std::move(message))
    {
    }
    QLatin1String name() const { return diagnostics::name(code); }
    bool operator==(const Diagnostic &) const = default;
};

// Each diagnostic followed by its notes: the order reports and editors list them in.
QList<Diagnostic> flattened(const QList<Diagnostic> &diagnostics);

// "error", "warning" or "note".
QLatin1String severityName(Severity severity);

// "LINE:COLUMN: severity: message", or "severity: message" about the whole
// program: the form of reports, without excerpt or colour.
QString oneLine(const Diagnostic &diagnostic);

// The fields of the diagnostic: kind, severity, line, column and end_column
// (1-based bytes, end excluded), message, related (line, column, end_column,
// message) and fixes (title, edits of line, column, end_column, replacement).
QJsonObject toJson(const Diagnostic &diagnostic);
// Each diagnostic and its notes, in the order of flattened().
QJsonArray toJson(const QList<Diagnostic> &diagnostics);

} // namespace diagnostics
