// The German catalogue that the host binds: it must translate every text the plug-in shows,
// the ones the plug-in hands over untranslated included, or the end-to-end German transcript
// could not tell a text left untranslated from one the catalogue lacks.
#include <gtest/gtest.h>

#include <libintl.h>

#include <clocale>
#include <cstdlib>
#include <string>

#include "runner/message_catalogue.h"

namespace {

class GermanCatalogue : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("LANGUAGE", "de", 1);
    setUpMessageCatalogue(QUILLON_LOCALE_DIR);
  }
  void TearDown() override {
    unsetenv("LANGUAGE");
    textdomain("messages");
  }
};

TEST_F(GermanCatalogue, TranslatesEveryTextThePlugInShows) {
  const char* const texts[] = {
      "Select sort type (left, right)",
      "  Sort by Filename Ascending >",
      "< Sort by Filename Descending >",
      "< Sort by Filedate Ascending >",
      "< Sort by Filedate Descending >",
      "< Sort by Description Ascending >",
      "< Sort by Description Descending ",
      "Use EIT-Info for Display",
      "Enable to use eit-file for the movie display name",
      "Movies recovered successfully.",
      "Movies could not be recovered.",
      "Quillon v2.00",
      "Start Movie-Recovering",
      " Create new recordings.epl",
      "Info",
      "About...",
      "Quillon v2.00\n"
      "Rebuilds the receiver's list of recorded movies from\n"
      "the recordings on its disk, named from their event\n"
      "information and sorted as you choose.\n"
      "https://quillon.example.org",
  };
  for (const char* text : texts) {
    EXPECT_NE(std::string(text), dcgettext(nullptr, text, LC_MESSAGES)) << text;
  }
}

TEST_F(GermanCatalogue, KeepsTheWebAddressAtTheEndOfTheAboutText) {
  const std::string about = dcgettext(nullptr,
                                      "Quillon v2.00\n"
                                      "Rebuilds the receiver's list of recorded movies from\n"
                                      "the recordings on its disk, named from their event\n"
                                      "information and sorted as you choose.\n"
                                      "https://quillon.example.org",
                                      LC_MESSAGES);
  EXPECT_TRUE(about.ends_with("\nhttps://quillon.example.org")) << about;
}

}  // namespace
