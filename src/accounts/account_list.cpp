#include "accounts/account_list.h"

#include <utility>

#include "accounts/percent_codec.h"
#include "app/json_escape.h"

namespace {

// Calls visit(user, password) with the two still-encoded fields of each line
// that holds a '|', in order, until visit returns false.
template <typename Visit>
void ForEachRecordLine(std::string_view lines, Visit&& visit) {
  std::size_t position = 0;
  while (position < lines.size()) {
    std::size_t end = lines.find('\n', position);
    if (end == std::string_view::npos)
      end = lines.size();
    const std::string_view line = lines.substr(position, end - position);
    position = end + 1;

    const std::size_t bar = line.find('|');
    if (bar != std::string_view::npos && !visit(line.substr(0, bar), line.substr(bar + 1)))
      return;
  }
}

// Whether the encoded field |field| decodes to |user|, decoding only as far
// as they agree: another name mostly differs within its first bytes.
bool DecodesTo(std::string_view field, std::string_view user) {
  if (field.size() < user.size())  // decoding never lengthens a text
    return false;
  std::size_t i = 0;
  std::size_t j = 0;
  while (i < field.size()) {
    if (j == user.size())
      return false;
    const DecodedByte decoded = DecodeAt(field, i);
    if (decoded.byte != user[j])
      return false;
    i += decoded.length;
    ++j;
  }
  return j == user.size();
}

// Bytes of an encoded name that reach the list text as they stand: neither
// decoded ('%', '+') nor escaped. Taken from AppendJsonEscaped itself.
class ListTextPlainBytes {
 public:
  ListTextPlainBytes() {
    for (int b = 0; b < 256; ++b) {
      const char c = static_cast<char>(b);
      std::string escaped;
      AppendJsonEscaped(std::string_view(&c, 1), escaped);
      plain_[b] = c != '%' && c != '+' && escaped.size() == 1 && escaped[0] == c;
    }
  }
  bool operator()(char c) const { return plain_[static_cast<unsigned char>(c)]; }

 private:
  bool plain_[256];
};

// Appends the decoding of the encoded name |field|, JSON-escaped, in one pass.
void AppendNameForList(std::string_view field, std::string& json) {
  static const ListTextPlainBytes isPlain;
  std::size_t i = 0;
  while (i < field.size()) {
    const std::size_t runStart = i;
    while (i < field.size() && isPlain(field[i]))
      ++i;
    json.append(field.data() + runStart, i - runStart);
    if (i == field.size())
      break;
    const DecodedByte decoded = DecodeAt(field, i);
    AppendJsonEscaped(std::string_view(&decoded.byte, 1), json);
    i += decoded.length;
  }
}

void AppendEncodedRecord(std::string_view user, std::string_view password, SecretBytes& out) {
  AppendPercentEncoded(user, out);
  out.push_back('|');
  AppendPercentEncoded(password, out);
  out.push_back('\n');
}

// Writes the lines of a rewritten store. Consecutive old lines that are
// kept as they stand go over in one copy.
class LinesWriter {
 public:
  // Seldom more room than the old lines take, plus one record.
  LinesWriter(std::string_view oldLines, std::size_t newRecordBytes) : old_(oldLines) {
    out_.reserve(oldLines.size() + 1 + 3 * newRecordBytes + 2);
  }

  // A record of the old lines (two fields of one line of them), as
  // BuildAccountLines would write it.
  void Keep(std::string_view user, std::string_view password) {
    const std::size_t lineStart = static_cast<std::size_t>(user.data() - old_.data());
    const std::size_t lineEnd =
        static_cast<std::size_t>(password.data() - old_.data()) + password.size();
    if (lineEnd < old_.size() && IsEncodedForm(user) && IsEncodedForm(password)) {
      // The line and its line feed, as they stand.
      if (copyEnd_ != lineStart) {
        Flush();
        copyStart_ = lineStart;
      }
      copyEnd_ = lineEnd + 1;
      return;
    }
    Flush();
    AppendInEncodedForm(user);
    out_.push_back('|');
    AppendInEncodedForm(password);
    out_.push_back('\n');
  }

  void Add(std::string_view user, std::string_view password) {
    Flush();
    AppendEncodedRecord(user, password, out_);
  }

  SecretBytes Take() {
    Flush();
    return std::move(out_);
  }

 private:
  void Flush() {
    out_.insert(out_.end(), old_.data() + copyStart_, old_.data() + copyEnd_);
    copyStart_ = copyEnd_ = 0;
  }

  void AppendInEncodedForm(std::string_view field) {
    if (IsEncodedForm(field)) {
      out_.insert(out_.end(), field.begin(), field.end());
      return;
    }
    // Reused from field to field: a store written by hand costs no
    // allocation per field either.
    scratch_.clear();
    AppendPercentDecoded(field, scratch_);
    AppendPercentEncoded(AsStringView(scratch_), out_);
  }

  const std::string_view old_;
  std::size_t copyStart_ = 0;
  std::size_t copyEnd_ = 0;
  SecretBytes out_;
  SecretBytes scratch_;
};

}  // namespace

SecretBytes BuildAccountLines(const AccountList& accounts) {
  std::size_t worst = 0;
  for (const Account& account : accounts)
    worst += 3 * (account.user.size() + account.password.size()) + 2;  // %XY per byte, '|', '\n'
  SecretBytes lines;
  lines.reserve(worst);
  for (const Account& account : accounts)
    AppendEncodedRecord(account.user, AsStringView(account.password), lines);
  return lines;
}

AccountList ParseAccountLines(std::string_view lines) {
  AccountList accounts;
  ForEachRecordLine(lines, [&](std::string_view user, std::string_view password) {
    // Decoded in place, so no temporary holds the password.
    Account& account = accounts.emplace_back();
    account.user.reserve(user.size());
    account.password.reserve(password.size());
    AppendPercentDecoded(user, account.user);
    AppendPercentDecoded(password, account.password);
    return true;
  });
  return accounts;
}

std::string AccountsListJsonFromLines(std::string_view lines) {
  std::string json = "[";
  json.reserve(lines.size() + 2);  // the list text is rarely longer than the lines
  ForEachRecordLine(lines, [&](std::string_view user, std::string_view) {
    json.append(json.size() > 1 ? ",{\"u\":\"" : "{\"u\":\"");
    AppendNameForList(user, json);
    json.append("\"}");
    return true;
  });
  json += ']';
  return json;
}

std::string PasswordFromLines(std::string_view lines, std::string_view user) {
  std::string password;
  ForEachRecordLine(lines, [&](std::string_view recordUser, std::string_view recordPassword) {
    if (!DecodesTo(recordUser, user))
      return true;
    AppendPercentDecoded(recordPassword, password);
    return false;
  });
  return password;
}

SecretBytes LinesWithAccount(std::string_view lines, std::string_view user,
                             std::string_view password) {
  LinesWriter writer(lines, user.size() + password.size());
  bool replaced = false;
  ForEachRecordLine(lines, [&](std::string_view recordUser, std::string_view recordPassword) {
    if (!replaced && DecodesTo(recordUser, user)) {
      replaced = true;
      writer.Add(user, password);
    } else {
      writer.Keep(recordUser, recordPassword);
    }
    return true;
  });
  if (!replaced)
    writer.Add(user, password);
  return writer.Take();
}

SecretBytes LinesWithoutAccount(std::string_view lines, std::string_view user, bool& wasStored) {
  LinesWriter writer(lines, 0);
  wasStored = false;
  ForEachRecordLine(lines, [&](std::string_view recordUser, std::string_view recordPassword) {
    if (DecodesTo(recordUser, user))
      wasStored = true;
    else
      writer.Keep(recordUser, recordPassword);
    return true;
  });
  return writer.Take();
}
