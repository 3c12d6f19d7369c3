#include "app/delete_tree.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cwchar>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr std::uint32_t kHidden = 0x2;
constexpr std::uint32_t kSystem = 0x4;
constexpr std::uint32_t kNormal = 0x80;
constexpr std::uint32_t kFile = 0x20;  // archive, as new files get it
constexpr std::uint32_t kFolder = kAttributeDirectory;
constexpr std::uint32_t kFolderLink = kAttributeDirectory | kAttributeReparsePoint;
constexpr std::uint32_t kFileLink = kAttributeReparsePoint | kFile;

// An in-memory file system with Windows' rules where they matter here:
// listing a link lists its target, clearing a link's attributes changes its
// target's, a read-only or open file cannot be deleted, a folder must be empty
// and not read-only to be removed, and removing a link leaves its target.
class FakeTree final : public FileTree {
 public:
  struct Node {
    std::uint32_t attributes = kFile;
    std::wstring target;  // of a link
    bool open = false;    // held open by someone else
  };

  void Add(const std::wstring& path, std::uint32_t attributes, const std::wstring& target = {}) {
    nodes_[path] = Node{attributes, target, false};
  }
  void HoldOpen(const std::wstring& path) { nodes_[path].open = true; }

  bool Has(const std::wstring& path) const { return nodes_.count(path) != 0; }
  std::uint32_t AttributesOf(const std::wstring& path) const { return nodes_.at(path).attributes; }
  std::set<std::wstring> Paths() const {
    std::set<std::wstring> paths;
    for (const auto& entry : nodes_)
      paths.insert(entry.first);
    return paths;
  }
  const std::vector<std::wstring>& listed() const { return listed_; }
  const std::set<std::wstring>& touched() const { return touched_; }

  std::optional<std::uint32_t> Attributes(const std::wstring& path) override {
    const auto it = nodes_.find(path);
    if (it == nodes_.end())
      return std::nullopt;
    return it->second.attributes;
  }

  void ListFolder(const std::wstring& folder, const EntryVisitor& visit) override {
    listed_.push_back(folder);
    touched_.insert(folder);
    const std::wstring real = Resolve(folder);
    const auto it = nodes_.find(real);
    if (it == nodes_.end() || !(it->second.attributes & kFolder))
      return;
    visit(L".", kFolder);
    visit(L"..", kFolder);
    // A snapshot, as a directory listing may go on while entries are removed.
    std::vector<std::pair<std::wstring, std::uint32_t>> children;
    for (const auto& [path, node] : nodes_)
      if (ParentOf(path) == real)
        children.emplace_back(path.substr(real.size() + 1), node.attributes);
    for (const auto& [name, attributes] : children)
      visit(name, attributes);
  }

  void ClearAttributes(const std::wstring& path) override {
    touched_.insert(path);
    const auto it = nodes_.find(Resolve(path));
    if (it != nodes_.end())
      it->second.attributes = (it->second.attributes & kFolder) ? kFolder : kNormal;
  }

  void RemoveFile(const std::wstring& path) override {
    touched_.insert(path);
    const auto it = nodes_.find(path);
    if (it == nodes_.end() || it->second.open || (it->second.attributes & kAttributeReadOnly))
      return;
    if ((it->second.attributes & kFolder) && !(it->second.attributes & kAttributeReparsePoint))
      return;
    nodes_.erase(it);
  }

  void RemoveFolder(const std::wstring& path) override {
    touched_.insert(path);
    const auto it = nodes_.find(path);
    if (it == nodes_.end() || !(it->second.attributes & kFolder) ||
        (it->second.attributes & kAttributeReadOnly))
      return;
    if (!(it->second.attributes & kAttributeReparsePoint))
      for (const auto& entry : nodes_)
        if (ParentOf(entry.first) == path)
          return;
    nodes_.erase(it);
  }

 private:
  static std::wstring ParentOf(const std::wstring& path) {
    const std::wstring::size_type at = path.rfind(L'\\');
    return at == std::wstring::npos ? std::wstring() : path.substr(0, at);
  }

  std::wstring Resolve(const std::wstring& path) const {
    const auto it = nodes_.find(path);
    return it != nodes_.end() && !it->second.target.empty() ? it->second.target : path;
  }

  std::map<std::wstring, Node> nodes_;
  std::vector<std::wstring> listed_;
  std::set<std::wstring> touched_;
};

const std::wstring kCache = L"C:\\Games\\Zelmora\\cache";

std::wstring In(const std::wstring& relative) {
  return kCache + L"\\" + relative;
}

TEST(DeleteTreeTest, RemovesFilesOfEveryKindAndTheFoldersDepthFirst) {
  FakeTree tree;
  tree.Add(kCache, kFolder);
  tree.Add(In(L"index"), kFile);
  tree.Add(In(L"readonly"), kFile | kAttributeReadOnly);
  tree.Add(In(L"hidden"), kFile | kHidden | kSystem);
  tree.Add(In(L"Cache"), kFolder);
  tree.Add(In(L"Cache\\f_000001"), kFile | kAttributeReadOnly | kHidden);
  tree.Add(In(L"Cache\\index-dir"), kFolder | kHidden);
  tree.Add(In(L"Cache\\index-dir\\the-real-index"), kFile);
  tree.Add(In(L"empty"), kFolder);

  DeleteTreeIn(tree, kCache);

  EXPECT_TRUE(tree.Paths().empty()) << testing::PrintToString(tree.Paths());
  for (const std::wstring& path : tree.touched())
    EXPECT_EQ(path.find(L"\\."), std::wstring::npos) << "walked into " << testing::PrintToString(path);
}

TEST(DeleteTreeTest, WhatCannotBeDeletedStaysWithTheFoldersAboveIt) {
  FakeTree tree;
  tree.Add(kCache, kFolder);
  tree.Add(In(L"a"), kFolder);
  tree.Add(In(L"a\\b"), kFolder);
  tree.Add(In(L"a\\b\\in-use"), kFile);
  tree.HoldOpen(In(L"a\\b\\in-use"));
  tree.Add(In(L"a\\b\\sibling"), kFile);
  tree.Add(In(L"a\\other"), kFile);
  tree.Add(In(L"locked"), kFolder | kAttributeReadOnly);
  tree.Add(In(L"locked\\inside"), kFile | kAttributeReadOnly);
  tree.Add(In(L"loose"), kFile);

  DeleteTreeIn(tree, kCache);

  // A read-only folder is emptied; whether it goes is up to the system.
  EXPECT_EQ(tree.Paths(),
            (std::set<std::wstring>{kCache, In(L"a"), In(L"a\\b"), In(L"a\\b\\in-use"), In(L"locked")}));
}

TEST(DeleteTreeTest, LinksAreRemovedThemselvesAndTheirTargetsLeftAlone) {
  const std::wstring outside = L"C:\\Users\\player\\Documents";
  FakeTree tree;
  tree.Add(outside, kFolder);
  tree.Add(outside + L"\\letter.txt", kFile | kAttributeReadOnly);
  tree.Add(outside + L"\\notes.txt", kFile);
  tree.Add(kCache, kFolder);
  tree.Add(In(L"junction"), kFolderLink, outside);
  tree.Add(In(L"readonly-junction"), kFolderLink | kAttributeReadOnly, outside);
  tree.Add(In(L"file-link"), kFileLink | kAttributeReadOnly, outside + L"\\letter.txt");
  tree.Add(In(L"sub"), kFolder);
  tree.Add(In(L"sub\\nested-link"), kFolderLink, outside);

  DeleteTreeIn(tree, kCache);

  // Read-only links stay: clearing the attribute would reach the target.
  EXPECT_EQ(tree.Paths(), (std::set<std::wstring>{outside, outside + L"\\letter.txt", outside + L"\\notes.txt",
                                                  kCache, In(L"file-link"), In(L"readonly-junction")}));
  EXPECT_EQ(tree.AttributesOf(outside + L"\\letter.txt"), kFile | kAttributeReadOnly);
  EXPECT_EQ(tree.listed(), (std::vector<std::wstring>{kCache, In(L"sub")}));
}

TEST(DeleteTreeTest, ACacheFolderThatIsALinkLosesOnlyTheLink) {
  const std::wstring outside = L"D:\\elsewhere";
  FakeTree tree;
  tree.Add(outside, kFolder);
  tree.Add(outside + L"\\data", kFile);
  tree.Add(kCache, kFolderLink, outside);

  DeleteTreeIn(tree, kCache);

  EXPECT_EQ(tree.Paths(), (std::set<std::wstring>{outside, outside + L"\\data"}));
  EXPECT_TRUE(tree.listed().empty());
}

TEST(DeleteTreeTest, NothingHappensWithoutAFolderToDelete) {
  struct Case {
    const char* name;
    std::wstring path;
  };
  const Case cases[] = {
      {"missing", kCache},
      {"empty path", L""},
      {"a file", L"C:\\Games\\Zelmora\\ZelmoraLauncher.exe"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeTree tree;
    tree.Add(L"C:\\Games\\Zelmora", kFolder);
    tree.Add(L"C:\\Games\\Zelmora\\ZelmoraLauncher.exe", kFile);
    tree.Add(L"C:\\Games\\Zelmora\\accounts.dat", kFile);

    DeleteTreeIn(tree, c.path);

    EXPECT_EQ(tree.Paths().size(), 3u);
    EXPECT_TRUE(tree.touched().empty()) << testing::PrintToString(tree.touched());
  }
}

}  // namespace

namespace {

TEST(ExtendedLengthPathTest, FullPathsOfEveryForm) {
  struct Case {
    const wchar_t* full;
    const wchar_t* extended;
  };
  const Case kCases[] = {
      {L"C:\\Games\\Zelmora\\cache", L"\\\\?\\C:\\Games\\Zelmora\\cache"},
      {L"C:\\Games\\Zelmora\\cache\\", L"\\\\?\\C:\\Games\\Zelmora\\cache"},
      {L"C:\\", L"\\\\?\\C:\\"},
      {L"\\\\server\\share\\Zelmora\\cache", L"\\\\?\\UNC\\server\\share\\Zelmora\\cache"},
      {L"\\\\server\\share\\cache\\\\", L"\\\\?\\UNC\\server\\share\\cache"},
      {L"\\\\.\\C:\\Zelmora\\cache", L"\\\\?\\C:\\Zelmora\\cache"},
      {L"\\\\?\\C:\\Zelmora\\cache", L"\\\\?\\C:\\Zelmora\\cache"},
      {L"\\\\?\\UNC\\server\\share\\cache", L"\\\\?\\UNC\\server\\share\\cache"},
      // Not full paths: left for the system to refuse, never turned into another folder.
      {L"cache", L"cache"},
      {L"C:cache", L"C:cache"},
      {L"\\\\", L"\\\\"},
      {L"", L""},
  };
  for (const Case& c : kCases)
    EXPECT_EQ(ExtendedLengthPath(c.full), c.extended) << std::string(c.full, c.full + std::wcslen(c.full));
}

}  // namespace
