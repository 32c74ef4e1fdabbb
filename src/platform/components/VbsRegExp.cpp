#include "platform/components/VbsRegExp.h"

#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/components/Components.h"

namespace {

struct CodeFree {
  void operator()(pcre2_code* p) const { pcre2_code_free(p); }
};
struct MatchDataFree {
  void operator()(pcre2_match_data* p) const { pcre2_match_data_free(p); }
};
struct MatchContextFree {
  void operator()(pcre2_match_context* p) const { pcre2_match_context_free(p); }
};
struct JitStackFree {
  void operator()(pcre2_jit_stack* p) const { pcre2_jit_stack_free(p); }
};

constexpr std::uint32_t kUnset = UINT32_MAX;

// Every match of one search: per match, start and end of the whole match and
// of each group (kUnset for a group that took no part).
struct MatchSet {
  std::shared_ptr<const std::u16string> subject;
  std::size_t pairs = 1;  // the whole match plus the groups
  std::vector<std::uint32_t> offsets;

  std::size_t Count() const { return offsets.size() / (2 * pairs); }
  const std::uint32_t* Pair(std::size_t match, std::size_t group) const {
    return &offsets[(match * pairs + group) * 2];
  }
  Variant Text(std::size_t match, std::size_t group) const {
    const std::uint32_t* p = Pair(match, group);
    if (p[0] == kUnset)
      return Variant();
    return Variant(subject->substr(p[0], p[1] - p[0]));
  }
};

// An index argument that names an existing item, or nothing.
std::optional<std::size_t> ItemIndex(std::span<const Variant> args, std::size_t count) {
  if (args.size() != 1)
    return std::nullopt;
  double n = args[0].ToNumber();
  if (!(n >= 0) || n >= static_cast<double>(count))
    return std::nullopt;
  return static_cast<std::size_t>(n);
}

bool Read(DispatchKind kind, std::span<const Variant> args) {
  return kind == DispatchKind::Call && args.empty();
}

class SubMatches : public Dispatch {
 public:
  SubMatches(std::shared_ptr<const MatchSet> set, std::size_t match)
      : set_(std::move(set)), match_(match) {}

  bool Invoke(std::u16string_view name, DispatchKind kind, std::span<const Variant> args,
              Variant& result) override {
    if (kind != DispatchKind::Call)
      return false;
    if (SameName(name, u"Count") && args.empty()) {
      result = Variant(static_cast<int>(set_->pairs - 1));
      return true;
    }
    if (SameName(name, u"Item") || name.empty()) {
      std::optional<std::size_t> j = ItemIndex(args, set_->pairs - 1);
      if (!j)
        return false;
      result = set_->Text(match_, *j + 1);
      return true;
    }
    return false;
  }

 private:
  std::shared_ptr<const MatchSet> set_;
  std::size_t match_;
};

class Match : public Dispatch {
 public:
  Match(std::shared_ptr<const MatchSet> set, std::size_t match)
      : set_(std::move(set)), match_(match) {}

  bool Invoke(std::u16string_view name, DispatchKind kind, std::span<const Variant> args,
              Variant& result) override {
    if (!Read(kind, args))
      return false;
    const std::uint32_t* whole = set_->Pair(match_, 0);
    if (SameName(name, u"Value") || name.empty()) {
      result = set_->Text(match_, 0);
    } else if (SameName(name, u"FirstIndex")) {
      result = Variant(static_cast<int>(whole[0]));
    } else if (SameName(name, u"Length")) {
      result = Variant(static_cast<int>(whole[1] - whole[0]));
    } else if (SameName(name, u"SubMatches")) {
      result = Variant(std::shared_ptr<Dispatch>(std::make_shared<SubMatches>(set_, match_)));
    } else {
      return false;
    }
    return true;
  }

 private:
  std::shared_ptr<const MatchSet> set_;
  std::size_t match_;
};

class MatchCollection : public Dispatch {
 public:
  explicit MatchCollection(std::shared_ptr<const MatchSet> set) : set_(std::move(set)) {}

  bool Invoke(std::u16string_view name, DispatchKind kind, std::span<const Variant> args,
              Variant& result) override {
    if (kind != DispatchKind::Call)
      return false;
    if (SameName(name, u"Count") && args.empty()) {
      result = Variant(static_cast<int>(set_->Count()));
      return true;
    }
    if (SameName(name, u"Item") || name.empty()) {
      std::optional<std::size_t> i = ItemIndex(args, set_->Count());
      if (!i)
        return false;
      result = Variant(std::shared_ptr<Dispatch>(std::make_shared<Match>(set_, *i)));
      return true;
    }
    return false;
  }

 private:
  std::shared_ptr<const MatchSet> set_;
};

bool IsHighSurrogate(char16_t c) {
  return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(char16_t c) {
  return c >= 0xDC00 && c <= 0xDFFF;
}

// Appends the replacement for one match, read in the component's syntax.
void Substitute(const MatchSet& set, std::size_t match, std::u16string_view replacement,
                std::u16string& out) {
  const std::u16string& subject = *set.subject;
  const std::uint32_t* whole = set.Pair(match, 0);
  std::size_t groups = set.pairs - 1;
  for (std::size_t i = 0; i < replacement.size(); ++i) {
    char16_t c = replacement[i];
    if (c != u'$' || i + 1 == replacement.size()) {
      out.push_back(c);
      continue;
    }
    char16_t next = replacement[i + 1];
    if (next == u'$') {
      out.push_back(u'$');
    } else if (next == u'&') {
      out.append(subject, whole[0], whole[1] - whole[0]);
    } else if (next == u'`') {
      out.append(subject, 0, whole[0]);
    } else if (next == u'\'') {
      out.append(subject, whole[1]);
    } else if (next >= u'0' && next <= u'9') {
      // Two digits when they name a group, else one digit when it does.
      std::size_t one = next - u'0';
      bool hasTwo =
          i + 2 < replacement.size() && replacement[i + 2] >= u'0' && replacement[i + 2] <= u'9';
      std::size_t two = hasTwo ? one * 10 + (replacement[i + 2] - u'0') : 0;
      std::size_t group = 0;
      if (hasTwo && two >= 1 && two <= groups) {
        group = two;
        ++i;
      } else if (one >= 1 && one <= groups) {
        group = one;
      } else {
        out.push_back(c);
        continue;
      }
      const std::uint32_t* p = set.Pair(match, group);
      if (p[0] != kUnset)
        out.append(subject, p[0], p[1] - p[0]);
    } else {
      out.push_back(c);
      continue;
    }
    ++i;
  }
}

class RegExp : public Dispatch {
 public:
  RegExp()
      : context_(pcre2_match_context_create(nullptr)),
        jitStack_(pcre2_jit_stack_create(kRegExpJitStackStart, kRegExpJitStackMax, nullptr)) {
    if (context_) {
      pcre2_set_match_limit(context_.get(), kRegExpMatchLimit);
      pcre2_set_depth_limit(context_.get(), kRegExpDepthLimit);
      pcre2_set_heap_limit(context_.get(), kRegExpHeapLimitKiB);
      if (jitStack_)
        pcre2_jit_stack_assign(context_.get(), nullptr, jitStack_.get());
    }
  }

  bool Invoke(std::u16string_view name, DispatchKind kind, std::span<const Variant> args,
              Variant& result) override {
    if (kind == DispatchKind::Put)
      return Put(name, args);
    if (SameName(name, u"IgnoreCase") && args.empty()) {
      result = Variant(ignoreCase_);
    } else if (SameName(name, u"Multiline") && args.empty()) {
      result = Variant(multiline_);
    } else if (SameName(name, u"Global") && args.empty()) {
      result = Variant(global_);
    } else if (SameName(name, u"Pattern") && args.empty()) {
      result = Variant(pattern_);
    } else if (SameName(name, u"Execute") && args.size() == 1) {
      std::shared_ptr<MatchSet> set = Search(args[0].SharedWide(), global_);
      if (!set)
        return false;
      result = Variant(std::shared_ptr<Dispatch>(std::make_shared<MatchCollection>(set)));
    } else if (SameName(name, u"Test") && args.size() == 1) {
      std::shared_ptr<MatchSet> set = Search(args[0].SharedWide(), false);
      if (!set)
        return false;
      result = Variant(set->Count() > 0);
    } else if (SameName(name, u"Replace") && args.size() == 2) {
      std::shared_ptr<MatchSet> set = Search(args[0].SharedWide(), global_);
      if (!set)
        return false;
      result = Variant(Replace(*set, args[1].ToWide()));
    } else {
      return false;
    }
    return true;
  }

 private:
  bool Put(std::u16string_view name, std::span<const Variant> args) {
    if (args.size() != 1)
      return false;
    bool* flag = SameName(name, u"IgnoreCase")  ? &ignoreCase_
                 : SameName(name, u"Multiline") ? &multiline_
                 : SameName(name, u"Global")    ? &global_
                                                : nullptr;
    if (flag != nullptr) {
      if (*flag != args[0].ToBool())
        code_.reset();
      *flag = args[0].ToBool();
      return true;
    }
    if (SameName(name, u"Pattern")) {
      pattern_ = args[0].ToWide();
      code_.reset();
      return true;
    }
    return false;
  }

  bool Compile() {
    if (code_)
      return true;
    std::uint32_t options = PCRE2_UTF | PCRE2_MATCH_INVALID_UTF | PCRE2_ALT_BSUX |
                            PCRE2_ALLOW_EMPTY_CLASS | PCRE2_DOLLAR_ENDONLY |
                            PCRE2_NEVER_BACKSLASH_C;
    if (ignoreCase_)
      options |= PCRE2_CASELESS;
    if (multiline_)
      options |= PCRE2_MULTILINE;
    std::unique_ptr<pcre2_compile_context, void (*)(pcre2_compile_context*)> compileContext(
        pcre2_compile_context_create(nullptr), pcre2_compile_context_free);
    if (!compileContext)
      return false;
    pcre2_set_newline(compileContext.get(), PCRE2_NEWLINE_ANYCRLF);
    int error = 0;
    PCRE2_SIZE errorOffset = 0;
    code_.reset(pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern_.data()), pattern_.size(),
                              options, &error, &errorOffset, compileContext.get()));
    if (!code_)
      return false;
    // Without JIT the interpreter runs the same pattern under the same limits.
    pcre2_jit_compile(code_.get(), PCRE2_JIT_COMPLETE);
    matchData_.reset(pcre2_match_data_create_from_pattern(code_.get(), nullptr));
    if (!matchData_)
      code_.reset();
    return code_ != nullptr;
  }

  // All matches (or the first one), each search resuming after the previous
  // match and one character further after an empty one. Null on failure.
  std::shared_ptr<MatchSet> Search(std::shared_ptr<const std::u16string> subject, bool all) {
    if (!context_ || !Compile())
      return nullptr;
    auto set = std::make_shared<MatchSet>();
    set->subject = std::move(subject);
    std::uint32_t captures = 0;
    pcre2_pattern_info(code_.get(), PCRE2_INFO_CAPTURECOUNT, &captures);
    set->pairs = captures + 1;
    const std::u16string& text = *set->subject;
    if (text.size() >= kUnset)
      return nullptr;
    auto subjectData = reinterpret_cast<PCRE2_SPTR>(text.data());
    PCRE2_SIZE start = 0;
    while (start <= text.size()) {
      int rc = pcre2_match(code_.get(), subjectData, text.size(), start, 0, matchData_.get(),
                           context_.get());
      if (rc == PCRE2_ERROR_NOMATCH)
        break;
      if (rc < 0)
        return nullptr;  // a limit, or an error inside the engine
      const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(matchData_.get());
      for (std::size_t k = 0; k < 2 * set->pairs; ++k) {
        set->offsets.push_back(ovector[k] == PCRE2_UNSET ? kUnset
                                                         : static_cast<std::uint32_t>(ovector[k]));
      }
      if (!all)
        break;
      PCRE2_SIZE next = ovector[1];
      if (next <= ovector[0] || next <= start) {
        next = std::max(ovector[0], start);
        if (next >= text.size())
          break;
        bool pair =
            IsHighSurrogate(text[next]) && next + 1 < text.size() && IsLowSurrogate(text[next + 1]);
        next += pair ? 2 : 1;
      }
      start = next;
    }
    return set;
  }

  static std::u16string Replace(const MatchSet& set, std::u16string_view replacement) {
    std::u16string out;
    std::size_t copied = 0;
    for (std::size_t m = 0; m < set.Count(); ++m) {
      const std::uint32_t* whole = set.Pair(m, 0);
      if (whole[0] < copied)
        continue;
      out.append(*set.subject, copied, whole[0] - copied);
      Substitute(set, m, replacement, out);
      copied = whole[1];
    }
    out.append(*set.subject, copied);
    return out;
  }

  bool ignoreCase_ = false;
  bool multiline_ = false;
  bool global_ = false;
  std::u16string pattern_;
  std::unique_ptr<pcre2_code, CodeFree> code_;
  std::unique_ptr<pcre2_match_data, MatchDataFree> matchData_;
  std::unique_ptr<pcre2_match_context, MatchContextFree> context_;
  std::unique_ptr<pcre2_jit_stack, JitStackFree> jitStack_;
};

}  // namespace

std::shared_ptr<Dispatch> CreateVbsRegExp() {
  return std::make_shared<RegExp>();
}
