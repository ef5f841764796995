// Parsers of /proc/self/mountinfo, /proc/diskstats and /proc/net/dev, the choice of volumes
// among the mounts, and instance names: literal text and captured files.
#include <gtest/gtest.h>

#include "platform/linux/proc/diskstats_parser.h"
#include "platform/linux/proc/instance_names.h"
#include "platform/linux/proc/mountinfo_parser.h"
#include "platform/linux/proc/netdev_parser.h"
#include "platform/linux/proc/volume_filter.h"
#include "tests/platform/linux/proc/fixture_text.h"
#include "tests/support/case_name.h"

namespace corvane::local {
namespace {

using testing::FixtureText;

TEST(ParseMountinfo, ReadsDeviceMountPointTypeAndSource) {
  MountinfoSnapshot mounts;
  const ParseResult result = ParseMountinfo(
      "36 35 98:0 /mnt1 /mnt2 rw,noatime master:1 shared:7 - ext3 /dev/root rw,errors=continue\n"
      "40 27 8:17 / /media/ann/My\\040Disk rw - vfat /dev/sdb1 rw\n"
      "41 27 0:38 / /srv rw - btrfs /dev/sda2 rw,subvol=/srv\n",
      &mounts);
  ASSERT_TRUE(result.ok()) << result.Describe();
  ASSERT_EQ(mounts.mounts.size(), 3u);
  EXPECT_EQ(mounts.mounts[0].major, 98u);
  EXPECT_EQ(mounts.mounts[0].minor, 0u);
  EXPECT_EQ(mounts.mounts[0].mount_point, "/mnt2");
  EXPECT_EQ(mounts.mounts[0].fstype, "ext3") << "optional fields before '-' are skipped";
  EXPECT_EQ(mounts.mounts[0].source, "/dev/root");
  EXPECT_EQ(mounts.mounts[1].mount_point, "/media/ann/My Disk");
  EXPECT_EQ(mounts.mounts[2].major, 0u);
}

TEST(ParseMountinfo, ReportsBrokenLines) {
  for (const char* bad : {"36 35 98-0 / / rw - ext4 /dev/x rw\n", "36 35 98:0 / / rw ext4\n",
                          "36 35 98:0 / / rw -\n", "36 35 98:0\n"}) {
    MountinfoSnapshot mounts;
    const ParseResult result = ParseMountinfo(bad, &mounts);
    EXPECT_FALSE(result.ok()) << bad;
    EXPECT_EQ(result.line, 1u) << bad;
  }
}

struct FilterCase {
  const char* fstype;
  unsigned major;
  const char* mount_point;
  bool volume;
};

class VolumeFilterTest : public ::testing::TestWithParam<FilterCase> {};

TEST_P(VolumeFilterTest, KeepsOnlyLocalDiskFileSystemsOutsideSystemTrees) {
  const FilterCase& c = GetParam();
  EXPECT_EQ(IsVolumeFileSystem(c.fstype, c.major) && !IsSystemMountPoint(c.mount_point), c.volume)
      << c.fstype << " " << c.major << " " << c.mount_point;
}

INSTANTIATE_TEST_SUITE_P(
    Mounts, VolumeFilterTest,
    ::testing::Values(
        FilterCase{"ext4", 254, "/", true}, FilterCase{"xfs", 8, "/home", true},
        FilterCase{"vfat", 8, "/boot/efi", true}, FilterCase{"fuseblk", 8, "/media/ann/WIN", true},
        FilterCase{"btrfs", 0, "/srv", true}, FilterCase{"zfs", 0, "/tank", true},
        FilterCase{"tmpfs", 0, "/tmp", false}, FilterCase{"squashfs", 7, "/snap/core/1", false},
        FilterCase{"overlay", 0, "/", false}, FilterCase{"proc", 0, "/proc", false},
        FilterCase{"nfs4", 0, "/net/home", false}, FilterCase{"cifs", 0, "/mnt/share", false},
        FilterCase{"fuse.sshfs", 0, "/mnt/remote", false},
        FilterCase{"ext4", 8, "/run/media/ann/stick", false},
        FilterCase{"ext4", 8, "/dev/something", false},
        FilterCase{"ext4", 8, "/var/lib/docker/volumes/x", false},
        FilterCase{"xfs", 253, "/var/lib/containers/storage/overlay", false},
        FilterCase{"ext4", 8, "/runner", true}, FilterCase{"ext4", 8, "/system", true}),
    [](const ::testing::TestParamInfo<FilterCase>& info) {
      return test_support::CaseName(std::string(info.param.fstype) + " on " +
                                    info.param.mount_point);
    });

TEST(SelectVolumes, OneVolumePerDeviceWithTheShortestMountPoint) {
  MountinfoSnapshot mounts;
  ASSERT_TRUE(ParseMountinfo("1 0 8:2 / /data/bind rw - ext4 /dev/sda2 rw\n"
                             "2 0 8:1 / / rw - ext4 /dev/sda1 rw\n"
                             "3 0 8:2 / /data rw - ext4 /dev/sda2 rw\n"
                             "4 0 0:5 / /tmp rw - tmpfs tmpfs rw\n"
                             "5 0 0:40 / /pool rw - btrfs /dev/sdb rw\n",
                             &mounts)
                  .ok());
  RowTable<Volume> volumes;
  SelectVolumes(mounts, &volumes);
  ASSERT_EQ(volumes.size(), 3u);
  EXPECT_EQ(volumes[0].mount_point, "/data") << "kept at the first mount's place";
  EXPECT_EQ(volumes[1].mount_point, "/");
  EXPECT_EQ(volumes[1].device_name, "sda1");
  EXPECT_EQ(volumes[2].mount_point, "/pool");
  EXPECT_EQ(volumes[2].device_name, "sdb") << "the device name finds btrfs's disk";
}

TEST(SelectVolumes, AMountOverAnotherHidesIt) {
  MountinfoSnapshot mounts;
  ASSERT_TRUE(ParseMountinfo("1 0 8:1 / /data rw - ext4 /dev/sda1 rw\n"
                             "2 1 8:17 / /data rw - ext4 /dev/sdb1 rw\n",
                             &mounts)
                  .ok());
  RowTable<Volume> volumes;
  SelectVolumes(mounts, &volumes);
  ASSERT_EQ(volumes.size(), 1u);
  EXPECT_EQ(volumes[0].minor, 17u) << "statvfs at /data sees the later mount";
}

TEST(SelectVolumes, CapturedMountTableHasOnlyTheRoot) {
  MountinfoSnapshot mounts;
  ASSERT_TRUE(ParseMountinfo(FixtureText("snapshot_a", "proc/self/mountinfo"), &mounts).ok());
  EXPECT_GT(mounts.mounts.size(), 10u);
  RowTable<Volume> volumes;
  SelectVolumes(mounts, &volumes);
  ASSERT_EQ(volumes.size(), 1u) << "proc, sysfs, devtmpfs, tmpfs and cgroups are no volumes";
  EXPECT_EQ(volumes[0].mount_point, "/");
  EXPECT_EQ(volumes[0].major, 254u);
}

TEST(ParseDiskstats, ReadsTheFieldsOfEveryKernelGeneration) {
  DiskstatsSnapshot disks;
  const ParseResult result = ParseDiskstats(
      // 4.17: 11 fields; 4.18: 15; 5.5: 17.
      "   8       0 sda 1 2 3 4 5 6 7 8 9 10 11\n"
      "   8       1 sda1 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15\n"
      " 254       0 vda 29404 6672 2402794 9429 11441 6574 772080 3403 0 6672 13475 5257 54 "
      "208672 579 1451 63\n",
      &disks);
  ASSERT_TRUE(result.ok()) << result.Describe();
  ASSERT_EQ(disks.disks.size(), 3u);
  EXPECT_EQ(disks.disks[0].name, "sda");
  EXPECT_EQ(disks.disks[1].name, "sda1");
  const DiskStat& vda = disks.disks[2];
  EXPECT_EQ(vda.major, 254u);
  EXPECT_EQ(vda.reads, 29404u);
  EXPECT_EQ(vda.sectors_read, 2402794u);
  EXPECT_EQ(vda.writes, 11441u);
  EXPECT_EQ(vda.sectors_written, 772080u);
  EXPECT_EQ(vda.in_flight, 0u);
  EXPECT_EQ(vda.io_ticks, 6672u);
  EXPECT_EQ(vda.time_in_queue, 13475u);
}

TEST(ParseDiskstats, RefusesShortLines) {
  DiskstatsSnapshot disks;
  EXPECT_FALSE(ParseDiskstats("8 0 sda 1 2 3 4 5 6 7 8 9 10\n", &disks).ok());
  EXPECT_FALSE(ParseDiskstats("8 x sda 1 2 3 4 5 6 7 8 9 10 11\n", &disks).ok());
  EXPECT_FALSE(ParseDiskstats("8 0\n", &disks).ok());
}

TEST(ParseDiskstats, CapturedFile) {
  DiskstatsSnapshot disks;
  ASSERT_TRUE(ParseDiskstats(FixtureText("snapshot_a", "proc/diskstats"), &disks).ok());
  ASSERT_EQ(disks.disks.size(), 10u) << "loop0..7, vda, zram0";
  EXPECT_EQ(disks.disks[8].name, "vda");
  EXPECT_EQ(disks.disks[8].sectors_written, 1293160u);
  EXPECT_EQ(disks.disks[9].name, "zram0");
}

TEST(ParseNetDev, ReadsBytesOfEachInterface) {
  NetDevSnapshot devices;
  const ParseResult result = ParseNetDev(
      "Inter-|   Receive                                                |  Transmit\n"
      " face |bytes    packets errs drop fifo frame compressed multicast|bytes    packets errs "
      "drop fifo colls carrier compressed\n"
      "    lo:    3267      29    0    0    0     0          0         0     3267      29    0    "
      "0    0     0       0          0\n"
      "enp3s0:123456789012 1048 0 0 0 0 0 0 46138 562 0 0 0 0 0 0\n",
      &devices);
  ASSERT_TRUE(result.ok()) << result.Describe();
  ASSERT_EQ(devices.devices.size(), 2u);
  EXPECT_EQ(devices.devices[0].name, "lo");
  EXPECT_EQ(devices.devices[0].rx_bytes, 3267u);
  EXPECT_EQ(devices.devices[1].name, "enp3s0");
  EXPECT_EQ(devices.devices[1].rx_bytes, 123456789012u) << "no blank after the colon";
  EXPECT_EQ(devices.devices[1].tx_bytes, 46138u);
  EXPECT_FALSE(ParseNetDev("h\nh\n eth0: 1 2 3\n", &devices).ok());
}

TEST(ParseNetDev, CapturedFileInKernelOrder) {
  NetDevSnapshot devices;
  ASSERT_TRUE(ParseNetDev(FixtureText("snapshot_b", "proc/net/dev"), &devices).ok());
  ASSERT_EQ(devices.devices.size(), 4u);
  const char* names[] = {"lo", "ifb0", "ifb1", "eth0"};
  for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(devices.devices[i].name, names[i]);
  EXPECT_EQ(devices.devices[0].rx_bytes, 201528u);
}

TEST(InstanceNames, SubstituteWhatAPathCannotCarry) {
  EXPECT_EQ(InstanceName("/swapfile (deleted)"), "/swapfile [deleted]");
  EXPECT_EQ(InstanceName("a\\b"), "a_b");
  EXPECT_EQ(InstanceName("nvme0n1"), "nvme0n1");
}

TEST(InstanceNames, MatchIgnoringCaseAndSubstitutions) {
  EXPECT_TRUE(InstanceMatches("eth0", "ETH0"));
  EXPECT_TRUE(InstanceMatches("/swapfile (deleted)", "/swapfile [deleted]"));
  EXPECT_TRUE(InstanceMatches("/swapfile (deleted)", "/swapfile (deleted)"));
  EXPECT_FALSE(InstanceMatches("eth0", "eth01"));
  EXPECT_FALSE(InstanceMatches("/", "/home"));
  EXPECT_FALSE(InstanceMatches("sda", ""));
}

TEST(InstanceNames, UnescapeOctalEscapesOnly) {
  std::string out = "left over";
  UnescapeOctal("/mnt/a\\040b\\011c\\134d", &out);
  EXPECT_EQ(out, "/mnt/a b\tc\\d");
  UnescapeOctal("/x\\09\\04", &out);
  EXPECT_EQ(out, "/x\\09\\04") << "not three octal digits: kept as written";
  UnescapeOctal("\\777", &out);
  EXPECT_EQ(out, "\\777") << "beyond a byte: kept";
}

}  // namespace
}  // namespace corvane::local
