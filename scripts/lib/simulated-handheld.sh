# Functions that simulate a handheld plugged in over USB, for the demo and
# the benchmarks: the window reads the mount table and sysfs through
# VANTREL_MOUNTINFO and VANTREL_SYSFS, so a folder can play the handheld
# without anything being mounted. Source this file; it defines functions only.

# Mount-table paths escape blanks, tabs, newlines and backslashes in octal.
escape_mount_path() {
  local path=$1
  path=${path//\\/\\134}
  path=${path// /\\040}
  path=${path//$'\t'/\\011}
  path=${path//$'\n'/\\012}
  printf '%s' "$path"
}

# write_mount_table TABLE [HANDHELD-FOLDER]: the machine's real mount table,
# plus the folder as a removable FAT medium when one is given. The file is
# replaced in one rename, as the kernel's table changes in one step.
write_mount_table() {
  local table=$1 handheld=${2:-}
  cat /proc/self/mountinfo >"$table.new"
  if [[ -n $handheld ]]; then
    printf '900 1 8:209 / %s rw,nosuid,nodev,relatime - vfat /dev/sdn1 rw\n' \
      "$(escape_mount_path "$handheld")" >>"$table.new"
  fi
  mv -f "$table.new" "$table"
}

# write_sysfs FOLDER: a USB disk sdn with one partition sdn1 (8:209) whose disk
# reports removable = 1, laid out as /sys lays it out.
write_sysfs() {
  local sysfs=$1
  mkdir -p "$sysfs/block/sdn/sdn1" "$sysfs/dev/block"
  echo 1 >"$sysfs/block/sdn/removable"
  echo 1 >"$sysfs/block/sdn/sdn1/partition"
  # The mount table's device number 8:209 names the partition.
  ln -sfn ../../block/sdn/sdn1 "$sysfs/dev/block/8:209"
  ln -sfn ../../block/sdn "$sysfs/dev/block/8:208"
}

# make_handheld_video FILE SOURCE TITLE: a three-second handheld video made
# from one of FFmpeg's test sources, and its 160 x 120 thumbnail beside it.
make_handheld_video() {
  local file=$1 source=$2 title=$3
  ffmpeg -v error -y -f lavfi -t 3 -i "$source=size=320x240:rate=15" \
    -f lavfi -i "sine=duration=3:frequency=440" -c:v mpeg4 -c:a aac \
    -f psp -metadata title="$title" "$file"
  ffmpeg -v error -y -f lavfi -i "$source=size=160x120" -frames:v 1 \
    -f image2 -c:v mjpeg "${file%.*}.THM"
}
