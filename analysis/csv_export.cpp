#include "analysis/csv_export.h"

#include "analysis/model_roles.h"
#include "core/name_text.h"

#include <QAbstractItemModel>
#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <vector>

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
    // The file's columns: a column of the model, the sort number that follows one, or a 参考値 column at the end.
    struct Field {
        int column;
        enum Kind { Cell, SortNumber, Indicative } kind;
        QString header;
        QList<int> group; // Indicative: the model's columns it watches
    };
    std::vector<Field> fields;
    std::vector<Field> groups;
    for (int column = 0; column < model.columnCount(); ++column) {
        const QVariant header = model.headerData(column, Qt::Horizontal, AnalysisRole::Csv);
        if (!header.isValid())
            continue;
        fields.push_back({column, Field::Cell, header.toString(), {}});
        const QVariant sortHeader = model.headerData(column, Qt::Horizontal, AnalysisRole::CsvSortHeader);
        if (sortHeader.isValid())
            fields.push_back({column, Field::SortNumber, sortHeader.toString(), {}});
        const QString group = model.headerData(column, Qt::Horizontal, AnalysisRole::CsvIndicativeGroup).toString();
        if (group.isEmpty())
            continue;
        auto same = std::ranges::find(groups, group, &Field::header);
        if (same == groups.end())
            groups.push_back({column, Field::Indicative, group, {column}});
        else
            same->group.append(column);
    }
    fields.insert(fields.end(), groups.begin(), groups.end());

    QByteArray out("\xEF\xBB\xBF");
    auto record = [&out, &fields](auto fieldOf) {
        for (std::size_t i = 0; i < fields.size(); ++i) {
            if (i > 0)
                out += ',';
            appendField(out, fieldOf(fields[i]));
        }
        out += "\r\n";
    };
    record([](const Field& field) { return spreadsheetSafe(field.header); });
    for (int row = 0; row < model.rowCount(); ++row)
        record([&model, row](const Field& field) {
            switch (field.kind) {
            case Field::SortNumber: return model.index(row, field.column).data(AnalysisRole::CsvSort).toString();
            case Field::Indicative: {
                // A figure there is none of (a rate over no race) is no 参考値 either.
                const bool few = std::ranges::any_of(field.group, [&model, row](int column) {
                    const QModelIndex cell = model.index(row, column);
                    return cell.data(AnalysisRole::Indicative).toBool()
                           && !cell.data(AnalysisRole::Csv).toString().isEmpty();
                });
                return few ? QStringLiteral("参考値") : QString();
            }
            case Field::Cell: break;
            }
            const QModelIndex cell = model.index(row, field.column);
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
