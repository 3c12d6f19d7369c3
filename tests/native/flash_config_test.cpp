// The Flash plug-in's mms.cfg: the allow list that lets the game's origin play.

#include "app/flash_config.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(FlashConfig, AllowsTheSitesOriginAndTurnsTheEndOfLifeOff) {
  EXPECT_EQ(FlashConfigText("https://play.zelmora.example/game/start?x=1"),
            "EnableAllowList=1\r\n"
            "AllowListUrlPattern=https://play.zelmora.example/\r\n"
            "EOLUninstallDisable=1\r\n"
            "AutoUpdateDisable=1\r\n"
            "SilentAutoUpdateEnable=0\r\n");
  EXPECT_NE(FlashConfigText("https://a.example").find("AllowListUrlPattern=https://a.example/\r\n"),
            std::string::npos);
  // Further origins follow the site's, each as its origin.
  EXPECT_EQ(FlashConfigText("https://play.example/", {"https://swf.cdn.example/files/", "https://b.example"}),
            "EnableAllowList=1\r\n"
            "AllowListUrlPattern=https://play.example/\r\n"
            "AllowListUrlPattern=https://swf.cdn.example/\r\n"
            "AllowListUrlPattern=https://b.example/\r\n"
            "EOLUninstallDisable=1\r\n"
            "AutoUpdateDisable=1\r\n"
            "SilentAutoUpdateEnable=0\r\n");
}

}  // namespace
