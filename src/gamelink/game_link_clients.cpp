#include "gamelink/game_link_clients.h"

#include <optional>
#include <utility>

namespace varnholt {
namespace {

constexpr const char* kStatusQueryText = "\\status\\";

}  // namespace

bool GameLinkClients::ConsoleConnected() const {
  return console_.ConsoleConnected();
}

bool GameLinkClients::RunConsoleCommand(std::string_view command, std::string* response) {
  const std::string* answer = console_.RunConsoleText(command);
  if (answer == nullptr) return false;
  if (response != nullptr) *response = *answer;
  return true;
}

bool GameLinkClients::QueryServerStatus(std::string* reply) {
  std::optional<std::string> text =
      status_.QueryServerStatus(status_.StatusPort(), kStatusQueryText);
  if (!text) return false;
  *reply = std::move(*text);
  return true;
}

bool GameLinkClients::StatusPortIdentified() const {
  return status_.StatusPort() != 0;
}

bool GameLinkClients::GetQueryValue(std::string_view key, std::string* value) {
  auto found = status_.GetQueryValue(key);
  if (!found) return false;
  *value = *found;
  return true;
}

std::vector<PlayerRecord> GameLinkClients::Players() const {
  return players_.Rows();
}

bool GameLinkClients::FindPlayerById(int id, PlayerRecord* record) const {
  return players_.FindPlayerById(id, record);
}

int GameLinkClients::FindPlayerByExactName(std::string_view name) const {
  return players_.FindPlayerByExactName(name);
}

bool GameLinkClients::RemovePlayer(int id) {
  return players_.RemovePlayer(id);
}

}  // namespace varnholt
