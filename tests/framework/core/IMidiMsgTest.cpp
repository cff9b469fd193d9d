#include "framework/core/IMidiMsg.h"

#include <gtest/gtest.h>

using plugin::IMidiMsg;

TEST(IMidiMsg, SplitsStatusIntoKindAndChannel)
{
  const IMidiMsg msg(12, 0x93, 60, 100);
  EXPECT_EQ(msg.StatusKind(), IMidiMsg::kNoteOn);
  EXPECT_EQ(msg.Channel(), 3);
  EXPECT_EQ(msg.mOffset, 12);
}
