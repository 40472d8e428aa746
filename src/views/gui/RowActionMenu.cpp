#include "views/gui/RowActionMenu.h"

// Standard library
#include <vector>

// Qt
#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QKeySequence>

// Ours
#include "views/ResultWriter.h"
#include "views/RowActions.h"
#include "views/gui/ResultList.h"

namespace quillex {

namespace {

struct RowActionRow {
  RowAction action;
  const char* title;
  // Ctrl+Shift and a letter: Ctrl+C stays the list's Copy, Ctrl+Alt is AltGr
  // on many keyboards, and Alt with a letter belongs to the page's buttons.
  Qt::Key key;
};

constexpr std::array<RowActionRow, kRowActionCount> kRowActions{{
    {RowAction::Text, "Copy &text", Qt::Key_C},
    {RowAction::FileOffset, "Copy file &offset", Qt::Key_O},
    {RowAction::MemoryAddress, "Copy &memory address", Qt::Key_M},
    {RowAction::Json, "Copy as &JSON", Qt::Key_J},
}};

std::string RowLine(RowAction action, const WriterSource& source, std::uint32_t result) {
  switch (action) {
    case RowAction::Text:
      return RowText(source.store, result);
    case RowAction::FileOffset:
      return RowFileOffset(source.store, result);
    case RowAction::MemoryAddress:
      return RowMemoryAddress(source.store, source.map, result);
    case RowAction::Json:
      return RowJsonRecord(source, result);
  }
  return {};
}

}  // namespace

std::string RowActionText(RowAction action, const WriterSource& source,
                          std::span<const std::uint32_t> results) {
  std::string text;
  for (const std::uint32_t result : results) {
    // JSON records end with their own LF.
    if (!text.empty() && action != RowAction::Json) {
      text += '\n';
    }
    text += RowLine(action, source, result);
  }
  return text;
}

RowActionMenu::RowActionMenu(ResultList& list, const ResultStore& store, const SectionMap& map)
    : QObject(&list), list_(list), store_(store), map_(map) {
  for (const RowActionRow& row : kRowActions) {
    auto* action = new QAction(QString::fromLatin1(row.title), &list);
    action->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | row.key));
    action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    const RowAction which = row.action;
    connect(action, &QAction::triggered, this, [this, which] { Run(which); });
    list.addAction(action);
    actions_[static_cast<std::size_t>(row.action)] = action;
  }
}

void RowActionMenu::Run(RowAction action) {
  const std::vector<std::uint32_t> rows = list_.SelectedRowsInDisplayOrder();
  if (rows.empty()) {
    return;  // the clipboard keeps what it holds, as with Copy
  }
  const WriterSource source{
      .store = store_, .map = map_, .rows = rows, .fileName = fileName_, .tags = tags_};
  QGuiApplication::clipboard()->setText(
      QString::fromStdString(RowActionText(action, source, rows)));
}

}  // namespace quillex
