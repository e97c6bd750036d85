#include "analysis/csv_export.h"

#include "analysis/model_roles.h"
#include "core/name_text.h"

#include <QAbstractItemModel>
#include <QDir>
#include <QFileInfo>

namespace {

// A text that a spreadsheet program would run as a formula (= + - @ first, or a TAB or CR that it may strip before
// one) gets a leading apostrophe, which the programs show as the text itself: a race named "=HYPERLINK(…)" is never
// run when the file is opened. Numbers are written as they are, a negative amount too.
QString spreadsheetSafe(const QString& text)
{
    static const QString formulaStarts = QStringLiteral("=+-@\t\r");
    return !text.isEmpty() && formulaStarts.contains(text.front()) ? QStringLiteral("'") + text : text;
}

void appendField(QByteArray& out, QString text)
{
    // No cell carries a control character (a race file may hold one in a text line): each is written as a blank.
    for (QChar& c : text) {
        if (isControlCharacter(c.unicode()))
            c = u' ';
    }
    QByteArray bytes = text.toUtf8();
    if (bytes.contains(',') || bytes.contains('"') || bytes.contains('\r') || bytes.contains('\n')) {
        bytes.replace("\"", "\"\"");
        out += '"';
        out += bytes;
        out += '"';
    } else {
        out += bytes;
    }
}

} // namespace

QByteArray csvBytes(const QAbstractItemModel& model)
{
    QList<int> columns;
    for (int column = 0; column < model.columnCount(); ++column) {
        if (model.headerData(column, Qt::Horizontal, AnalysisRole::Csv).isValid())
            columns.append(column);
    }
    QByteArray out("\xEF\xBB\xBF");
    auto record = [&out, &columns](auto fieldOf) {
        for (qsizetype i = 0; i < columns.size(); ++i) {
            if (i > 0)
                out += ',';
            appendField(out, fieldOf(columns[i]));
        }
        out += "\r\n";
    };
    record([&model](int column) {
        return spreadsheetSafe(model.headerData(column, Qt::Horizontal, AnalysisRole::Csv).toString());
    });
    for (int row = 0; row < model.rowCount(); ++row)
        record([&model, row](int column) {
            const QModelIndex cell = model.index(row, column);
            const QString text = cell.data(AnalysisRole::Csv).toString();
            return cell.data(AnalysisRole::CsvNumber).toBool() ? text : spreadsheetSafe(text);
        });
    return out;
}

FileResult saveCsvFile(const QString& path, const QByteArray& bytes, const WriteThrough& through, LockWait* lockWait)
{
    const QFileInfo file(path);
    if (!file.absoluteDir().exists())
        return {false, QStringLiteral("フォルダ「%1」が見つからないため、CSVファイルを保存できませんでした。")
                           .arg(QDir::toNativeSeparators(file.absolutePath()))};
    if (file.isDir())
        return {false, QStringLiteral("「%1」は同じ名前のフォルダがあるため、CSVファイルとして保存できません。")
                           .arg(file.fileName())};
    // A save killed half-way left its copy beside the file: it goes now, as the race folder's go when it is listed.
    sweepFolder(file.absolutePath());
    const SaveResult saved = saveWholeFile(path, bytes, through, lockWait);
    if (saved.stoppedWaiting)
        return {false,
                QStringLiteral("待つのをやめたため、CSVファイル「%1」は保存しませんでした。前からあったファイルは"
                               "そのままです。")
                    .arg(file.fileName())};
    if (!saved.ok)
        return {false, QStringLiteral("CSVファイル「%1」を保存できませんでした。ディスクの空きと書き込みの許可を"
                                      "確かめてください。前からあったファイルはそのままです。")
                           .arg(file.fileName())};
    return {true, {}};
}
