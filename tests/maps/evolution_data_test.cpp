#include "maps/evolution_data.h"

#include <gtest/gtest.h>

#include "support/temp_folder.h"

namespace varnholt {
namespace {

using testing::TempFolder;

TEST(EvolutionDataTest, ExaminesOnlyTheFirstMapWithAttributesOfEachMapsElement) {
  const EvolutionData data = ParseEvolutionText(
      "<evolution>"
      "<MAPS><map_ name=\"upper\"/></MAPS>"          // "maps" is matched exactly
      "<maps><other/><MAP_/><Map_ name=\"Hue\"/>"    // no attributes: keeps looking
      "<map_ name=\"second\"/></maps>"               // not examined
      "<maps><map_ title=\"x\" name=\"untitled\"/>"  // first attribute is not "name"
      "<map_ name=\"after\"/></maps>"
      "<map_ name=\"outside\"/>"
      "<maps><group><map_ name=\"Ford\" size=\"64\"/></group></maps>"
      "</evolution>");
  EXPECT_FALSE(data.parse_failed);
  EXPECT_EQ(data.levels, (std::vector<std::string>{"Hue", "Ford"}));
  EXPECT_TRUE(data.NamesLevel("hue"));
  EXPECT_TRUE(data.NamesLevel("FORD"));
  EXPECT_FALSE(data.NamesLevel("second"));
  EXPECT_FALSE(data.NamesLevel("after"));
  EXPECT_FALSE(data.NamesLevel("upper"));
  EXPECT_FALSE(data.NamesLevel("hu"));
}

TEST(EvolutionDataTest, ParseErrorKeepsWhatCameBeforeAndNamesTheLine) {
  const EvolutionData data =
      ParseEvolutionText("<e>\n<maps>\n<map_ name=\"hue\"/>\n</maps>\n<maps><map_ name='x'>\n</e>");
  EXPECT_TRUE(data.parse_failed);
  EXPECT_EQ(data.error_text, "mismatched tag");
  EXPECT_EQ(data.error_line, 6);
  EXPECT_EQ(data.levels, (std::vector<std::string>{"hue", "x"}));

  const EvolutionData empty = ParseEvolutionText("");
  EXPECT_TRUE(empty.parse_failed);
  EXPECT_EQ(empty.error_text, "no element found");
}

TEST(EvolutionDataTest, FileIsReadInBlocksWhateverItsSize) {
  TempFolder tmp;
  // Names that straddle the block boundaries, and sizes that end exactly on one.
  for (size_t size : {1023u, 1024u, 1025u, 2048u, 5000u}) {
    SCOPED_TRACE(size);
    std::string xml = "<evolution>";
    std::string tail = "<maps><map_ name=\"straddle\"/></maps></evolution>";
    const size_t fill = size - xml.size() - tail.size() - 7;
    xml += "<!--" + std::string(fill, 'x') + "-->" + tail;
    ASSERT_EQ(xml.size(), size);
    const std::string path = tmp.Write("Evolution.wst", xml);
    EvolutionData data;
    ASSERT_TRUE(ReadEvolutionFile(path, &data));
    EXPECT_FALSE(data.parse_failed) << data.error_text;
    EXPECT_TRUE(data.NamesLevel("straddle"));
  }
  EvolutionData data;
  EXPECT_FALSE(ReadEvolutionFile(tmp.Sub("missing.wst"), &data));
}

}  // namespace
}  // namespace varnholt
