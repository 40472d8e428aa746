#pragma once

// Standard library
#include <array>
#include <cstdint>
#include <span>
#include <string>

// Qt
#include <QObject>

// Ours
#include "tags/TagId.h"

class QAction;

namespace quillex {

class ResultList;
class ResultStore;
class SectionMap;
struct WriterSource;

// What the list's row actions copy.
enum class RowAction : int { Text, FileOffset, MemoryAddress, Json };
inline constexpr std::size_t kRowActionCount = 4;

// The clipboard text of a row action for results in the order given (the
// list's display order), as UTF-8. Text, file offset and memory address give
// one line per result, joined by LF, without a break after the last, so
// that one row pastes as one value; JSON gives the JSON Lines records one
// after another, each with its LF, so that the text is a JSON Lines file.
[[nodiscard]] std::string RowActionText(RowAction action, const WriterSource& source,
                                        std::span<const std::uint32_t> results);

// The row actions of the result list: Copy text, Copy file offset, Copy memory
// address and Copy as JSON. They stand in the list's popup menu after Copy
// and answer to their keys while the list has the focus; each acts on the
// selected rows, in display order, and leaves the clipboard as it is when no
// row is selected.
class RowActionMenu : public QObject {
  Q_OBJECT

 public:
  RowActionMenu(ResultList& list, const ResultStore& store, const SectionMap& map);

  // The scanned file as the JSON records name it.
  void SetFileName(std::string fileName) { fileName_ = std::move(fileName); }
  // Each result's indicator tags, by result number, for the JSON records:
  // the window hands the array here once its tagging has made it, and an
  // empty one when a scan starts; until then the records carry an empty tag
  // array.
  void SetTags(std::span<const TagSet> tags) { tags_ = tags; }

  [[nodiscard]] QAction* Action(RowAction action) const {
    return actions_[static_cast<std::size_t>(action)];
  }
  // Puts the action's text for the selected rows on the clipboard.
  void Run(RowAction action);

 private:
  ResultList& list_;
  const ResultStore& store_;
  const SectionMap& map_;
  std::string fileName_;
  std::span<const TagSet> tags_;
  std::array<QAction*, kRowActionCount> actions_{};
};

}  // namespace quillex
