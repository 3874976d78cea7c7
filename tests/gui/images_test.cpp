// Images from BMP bytes: the banner, and files that must be refused before Qt decodes them.
#include <QLabel>
#include <cstring>
#include <vector>

#include "data/embedded_data.h"
#include "tests/gui/gui_fixture.h"
#include "ui/qt/bmp_check.h"

namespace trelvin2 {
namespace {

class Images : public GuiTest {
 protected:
  static std::vector<std::uint8_t> Banner() {
    const auto banner = BannerBmp();
    return {banner.begin(), banner.end()};
  }
};

TEST_F(Images, BannerLoadsAndShowsInTheMainWindow) {
  StartUp(program);
  EXPECT_NE(program.banner_image, 0);
  auto* field = qobject_cast<QLabel*>(toolkit.Control(kBannerControl));
  ASSERT_NE(field, nullptr);
  EXPECT_EQ(field->pixmap().size(), QSize(180, 20));
}

TEST_F(Images, DamagedFilesAreRefused) {
  struct Damage {
    const char* what;
    std::size_t offset;  // a byte to overwrite, or SIZE_MAX for none
    std::uint8_t value;
    std::size_t missing;  // bytes cut from the end
  };
  constexpr std::size_t kNone = SIZE_MAX;
  const Damage cases[] = {
      {"one byte short", kNone, 0, 1},        {"last row short", kNone, 0, 12},
      {"only headers", kNone, 0, 10854 - 54}, {"not BM", 0, 'X', 0},
      {"8 bits per pixel", 28, 8, 0},         {"run-length compressed", 30, 1, 0},
      {"pixel data past the end", 10, 60, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<std::uint8_t> bytes = Banner();
    if (c.offset != kNone) bytes[c.offset] = c.value;
    bytes.resize(bytes.size() - c.missing);
    EXPECT_FALSE(IsWholeUncompressedBmp24(bytes.data(), bytes.size()));
    EXPECT_EQ(toolkit.ImageFromMemory(kBannerImage, bytes.data(), bytes.size()), 0);
  }
  EXPECT_EQ(toolkit.ImageFromMemory(kBannerImage, nullptr, 0), 0);
}

TEST_F(Images, TopDownRowsAreAccepted) {
  std::vector<std::uint8_t> bytes = Banner();
  const std::int32_t top_down = -20;
  std::memcpy(bytes.data() + 22, &top_down, sizeof top_down);  // little-endian height
  EXPECT_NE(toolkit.ImageFromMemory(kBannerImage, bytes.data(), bytes.size()), 0);
}

}  // namespace
}  // namespace trelvin2
