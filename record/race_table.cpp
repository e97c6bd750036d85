#include "record/race_table.h"

#include <new>

FolderTexts::Number FolderTexts::add(QStringView text)
{
    if (text.isEmpty())
        return empty;
    const auto end = static_cast<std::uint64_t>(units_.size()) + static_cast<std::uint64_t>(text.size());
    if (end > UINT32_MAX || starts_.size() > UINT32_MAX)
        throw std::bad_alloc();
    units_.insert(units_.end(), text.utf16(), text.utf16() + text.size());
    starts_.push_back(static_cast<std::uint32_t>(end));
    return static_cast<Number>(starts_.size() - 2);
}

void FolderTexts::squeeze()
{
    units_.shrink_to_fit();
    starts_.shrink_to_fit();
}
