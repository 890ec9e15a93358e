// The search text's side of a kept copy: its chunks and shared values laid
// out for a file, and a text over such a file's mapped bytes.
#include "catalogue/SearchCorpus.h"

#include <algorithm>

SearchCorpus::Layout SearchCorpus::layout() const
{
    Layout layout;
    std::vector<const SharedValues *> sets;
    for (const auto &chunk : chunks_) {
        layout.chunks.emplace_back(chunk->data(), chunk->size());
        const auto known = std::find(sets.begin(), sets.end(), chunk->shared.get());
        layout.valueSetOf.push_back(quint32(known - sets.begin()));
        if (known != sets.end())
            continue;
        sets.push_back(chunk->shared.get());
        std::vector<std::string_view> &values = layout.valueSets.emplace_back();
        for (const Shared &value : chunk->shared->values)
            values.emplace_back(value.text, value.length);
    }
    return layout;
}

std::optional<SearchCorpus> SearchCorpus::over(const Layout &layout, const std::shared_ptr<const void> &alive)
{
    if (layout.chunks.size() >= NoSpan || layout.valueSetOf.size() != layout.chunks.size())
        return std::nullopt;
    std::vector<std::shared_ptr<SharedValues>> sets;
    for (const std::vector<std::string_view> &values : layout.valueSets) {
        if (values.size() > MostSharedValues)
            return std::nullopt;
        auto set = std::make_shared<SharedValues>();
        for (const std::string_view value : values)
            set->values.push_back({value.data(), quint32(value.size())});
        sets.push_back(std::move(set));
    }
    SearchCorpus text;
    for (size_t i = 0; i < layout.chunks.size(); ++i) {
        if (layout.valueSetOf[i] >= sets.size() || layout.chunks[i].size() > ChunkSize)
            return std::nullopt;
        auto chunk = std::make_unique<Chunk>();
        chunk->kept = layout.chunks[i];
        chunk->keptAlive = alive;
        chunk->shared = sets[layout.valueSetOf[i]];
        text.chunks_.push_back(std::move(chunk));
    }
    return text;
}
