#include "racefile/catalogue.h"

// Placeholder until the catalogue lands: an empty list, and every change fails.
std::vector<CatalogueEntry> buildCatalogue(const QString&)
{
    return {};
}

QString resultSummaryLine(const CatalogueEntry&)
{
    return QString(74, u' ');
}

QString balanceSummaryLine(const CatalogueEntry&)
{
    return QString(77, u' ');
}

RewriteResult rewriteResultLines(const QString&, const QString&, const QString&, const QString&, const ConfirmFn&)
{
    return {Outcome::Failed, QStringLiteral("レースファイルを書き換えられませんでした。")};
}

RewriteResult rewriteBalanceLines(const QString&, const QString&, const QString&, const ConfirmFn&)
{
    return {Outcome::Failed, QStringLiteral("レースファイルを書き換えられませんでした。")};
}

RewriteResult deleteRaceFile(const QString&, const ConfirmFn&)
{
    return {Outcome::Failed, QStringLiteral("レースファイルを削除できませんでした。")};
}
