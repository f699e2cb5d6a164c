// inventory
#include <algorithm>
#include <iostream>

#include "cli/cli_command.h"
#include "cli/cli_escape.h"
#include "cli/cli_json.h"
#include "ops/op_inventory.h"

namespace {

constexpr FileScope kScopes[] = {FileScope::Tessel, FileScope::Resources, FileScope::Fonts, FileScope::System,
                                 FileScope::Other};

std::string tesselWords(const PrinterInventory& p) {
  switch (p.state) {
    case PrinterInventory::State::NotTwoWay:
      return "not two-way";
    case PrinterInventory::State::NoAnswer:
      return "no answer";
    case PrinterInventory::State::Answered:
      break;
  }
  // The version line names Tessel itself ("Tessel 11.0").
  if (!p.answer.tesselVersion) return "no Tessel";
  return p.answer.tesselVersion->empty() ? "Tessel (no version)" : *p.answer.tesselVersion;
}

std::string freeWords(const InventoryAnswer& a) {
  return a.freeBytes ? std::to_string(*a.freeBytes) : "-";
}

// Columns padded to their widest cell; every cell is shown escaped.
std::string table(const std::vector<std::vector<std::string>>& rows) {
  std::vector<std::size_t> widths;
  for (const auto& row : rows)
    for (std::size_t i = 0; i < row.size(); ++i) {
      if (widths.size() <= i) widths.push_back(0);
      widths[i] = std::max(widths[i], row[i].size());
    }
  std::string out;
  for (const auto& row : rows) {
    std::string line;
    for (std::size_t i = 0; i < row.size(); ++i)
      line += row[i] + (i + 1 < row.size() ? std::string(widths[i] - row[i].size() + 2, ' ') : "");
    out += line + "\n";
  }
  return out;
}

std::string inventoryTable(const InventoryResult& r) {
  std::vector<std::vector<std::string>> rows;
  std::vector<std::string> head{"PRINTER", "TESSEL"};
  for (FileScope s : kScopes) head.push_back(fileScopeWord(s));
  head.push_back("FREE BYTES");
  rows.push_back(head);
  for (const PrinterInventory& p : r.printers) {
    std::vector<std::string> row{cliShowable(p.printer), cliShowable(tesselWords(p))};
    const bool answered = p.state == PrinterInventory::State::Answered;
    for (FileScope s : kScopes)
      row.push_back(answered ? std::to_string(p.answer.files[static_cast<std::size_t>(s)]) : "-");
    row.push_back(answered ? freeWords(p.answer) : "-");
    rows.push_back(row);
  }
  return table(rows);
}

std::string inventoryJson(const InventoryResult& r) {
  JsonWriter json;
  json.beginObject().key("printers").beginArray();
  for (const PrinterInventory& p : r.printers) {
    json.beginObject().key("printer").value(p.printer);
    switch (p.state) {
      case PrinterInventory::State::NotTwoWay:
        json.key("state").value("not two-way");
        break;
      case PrinterInventory::State::NoAnswer:
        json.key("state").value("no answer").key("reason").value(p.reason);
        break;
      case PrinterInventory::State::Answered: {
        json.key("state").value("answered").key("tessel").value(p.answer.tesselVersion.has_value());
        if (p.answer.tesselVersion) json.key("tesselVersion").value(*p.answer.tesselVersion);
        json.key("files").beginObject();
        for (FileScope s : kScopes)
          json.key(fileScopeWord(s)).value(static_cast<std::int64_t>(p.answer.files[static_cast<std::size_t>(s)]));
        json.endObject();
        if (p.answer.freeBytes) json.key("freeBytes").value(static_cast<std::int64_t>(*p.answer.freeBytes));
        if (p.answer.totalBytes) json.key("totalBytes").value(static_cast<std::int64_t>(*p.answer.totalBytes));
        break;
      }
    }
    json.endObject();
  }
  json.endArray().endObject();
  return json.str();
}

}  // namespace

std::vector<Command> inventoryCommands() {
  Command inventory{
      .name = "inventory",
      .summary = "ask two-way printers what their disks hold",
      .usage = "[options]",
      .description = "Asks every two-way printer of the destination at once whether Tessel is there\n"
                     "(and its version), how many files it holds per scope (tqf, tqfc, fonts, Sys,\n"
                     "other) and how much disk space is free. Nothing is printed. Spooler queues\n"
                     "cannot answer and are listed as not two-way; printers that did not answer are\n"
                     "named with the reason, and the command then fails.",
      .options = {{"json", 0, "", "give the inventory as JSON"}},
      .sendsJob = true,
      .config = ConfigUse::Optional,
      .validate =
          [](const ParsedArgs& a) {
            if (!a.has("output")) return true;
            usageError("inventory", "--output does not go with inventory: its answer is read from the printers");
            return false;
          },
      .run = [](const ParsedArgs& a, OpContext& ctx) {
        const InventoryResult r = takeInventory(ctx);
        if (r.result.kind != OpResult::Kind::Sent) return reportResult(a, r.result);
        std::cout << (a.has("json") ? inventoryJson(r) : inventoryTable(r)) << std::flush;
        for (const PrinterInventory& p : r.printers)
          if (p.state == PrinterInventory::State::NoAnswer) sayError(p.printer + " did not answer: " + p.reason);
        return r.allAnswered() ? kExitOk : kExitFailed;
      }};
  return {inventory};
}
