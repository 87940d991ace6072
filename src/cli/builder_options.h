#pragma once

#include <QCommandLineOption>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class QCommandLineParser;

namespace halvana::cli {

class CliContext;

// make-script's builder options: the generators of "Create Scripts" for scripted use.
namespace BuilderOptions {

QList<QCommandLineOption> options();
// A generator option is given (rather than capture files to compare).
bool given(const QCommandLineParser& parser);
// Empty when the options and arguments make one generator's choices.
QString check(const QStringList& args, const QCommandLineParser& parser);
// Builds the script (onto --script FILE when given) and writes it to --out or stdout.
int run(CliContext& ctx);

// "1-4,7" -> 1, 2, 3, 4, 7 (numbers 1..max, in the order given); nothing when it is not a list.
std::optional<QList<int>> numberList(const QString& text, int max);

} // namespace BuilderOptions

} // namespace halvana::cli
