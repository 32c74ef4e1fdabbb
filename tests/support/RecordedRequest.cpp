#include "support/RecordedRequest.h"

#include <strings.h>

namespace {

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

bool NameIs(std::string_view line, std::string_view name) {
  std::size_t colon = line.find(':');
  if (colon == std::string_view::npos)
    return false;
  std::string_view lineName = Trim(line.substr(0, colon));
  return lineName.size() == name.size() &&
         strncasecmp(lineName.data(), name.data(), name.size()) == 0;
}

}  // namespace

std::optional<std::string> RecordedRequest::Header(std::string_view name) const {
  for (const std::string& line : headerLines) {
    if (NameIs(line, name))
      return std::string(Trim(std::string_view(line).substr(line.find(':') + 1)));
  }
  return std::nullopt;
}

int RecordedRequest::HeaderCount(std::string_view name) const {
  int count = 0;
  for (const std::string& line : headerLines) count += NameIs(line, name) ? 1 : 0;
  return count;
}

bool ParseRequestHead(std::string_view head, RecordedRequest& request) {
  std::size_t end = head.find("\r\n");
  if (end == std::string_view::npos)
    return false;
  request.requestLine = std::string(head.substr(0, end));
  std::size_t firstSpace = request.requestLine.find(' ');
  std::size_t lastSpace = request.requestLine.rfind(' ');
  if (firstSpace == std::string::npos || lastSpace == firstSpace)
    return false;
  request.method = request.requestLine.substr(0, firstSpace);
  request.target = request.requestLine.substr(firstSpace + 1, lastSpace - firstSpace - 1);
  request.version = request.requestLine.substr(lastSpace + 1);
  request.headerLines.clear();
  std::size_t start = end + 2;
  while (start < head.size()) {
    std::size_t lineEnd = head.find("\r\n", start);
    if (lineEnd == std::string_view::npos || lineEnd == start)
      break;
    request.headerLines.emplace_back(head.substr(start, lineEnd - start));
    start = lineEnd + 2;
  }
  return true;
}
