#include "screens/stored_name.h"

#include "core/name_text.h"
#include "racefile/cp932.h"

QString storedName(const QString& typed, bool* cut)
{
    QString name = storableText(plainName(typed));
    name = name.replace(QStringLiteral("ー"), QStringLiteral("｜")).trimmed();
    const bool shortened = fitNameLength(name);
    if (cut)
        *cut = shortened;
    return name;
}
