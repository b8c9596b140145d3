#!/usr/bin/env bash
# The MIDI tests on a real Linux kernel with the ALSA sequencer, which CI
# machines lack: boots Debian's kernel in qemu (TCG: no KVM needed), loads
# snd-seq, snd-virmidi and snd-seq-dummy, and runs the test binaries of
# BUILD_DIR there with PMCKEYS_MIDI_API=alsa. The guest sees the host's root
# read-only over 9p and chroots into it, so the built binaries and the
# installed libraries run unchanged; /tmp and /dev/shm are its own tmpfs
# (with a FAT file system on /tmp/fat; a tree under the host's /tmp is carried
# over), and /dev, /proc and /sys its own. The
# tests' status comes back as qemu's exit status (isa-debug-exit); a guest
# still running after 15 minutes is killed.
#   tests/alsa_vm.sh BUILD_DIR [GTEST_FILTER] [-- COMMAND...]
# COMMAND, run in the guest's chroot instead of the tests, is for trying
# things by hand (its output comes on the console; status 0 or not).
set -euo pipefail
build=$(realpath "${1:?usage: tests/alsa_vm.sh BUILD_DIR [GTEST_FILTER] [-- COMMAND...]}")
shift
filter='Alsa.*:Midi.*:SimulatorEndToEnd.*'
if [ $# -gt 0 ] && [ "$1" != -- ]; then filter=$1; shift; fi
[ $# -gt 0 ] && shift  # the --
command=("$@")
[ ${#command[@]} -gt 0 ] || command=("$build/tests/pmckeys_binary_tests" "--gtest_filter=$filter")

# The newest kernel in /boot whose modules are installed.
kernel=
for image in $(ls -v /boot/vmlinuz-* 2>/dev/null); do
  [ -d "/lib/modules/${image#/boot/vmlinuz-}" ] && kernel=$image
done
[ -n "$kernel" ] || { echo "alsa_vm: no kernel with its modules in /boot (install linux-image-amd64)" >&2; exit 1; }
version=${kernel#/boot/vmlinuz-}

work=$(mktemp -d /tmp/pmckeys-alsa-vm.XXXXXX)
trap 'rm -rf "$work"' EXIT
root=$work/initramfs
mkdir -p "$root"/{bin,dev,proc,sys,modules,share}
cp /bin/busybox "$root/bin/busybox"
# The modules and those they need, each once, in the order they load.
modprobe -S "$version" --show-depends -a 9p 9pnet_virtio virtio_pci snd-seq snd-virmidi snd-seq-dummy \
  loop vfat nls_cp437 nls_ascii nls_utf8 |
  awk '$1 == "insmod" && !seen[$2]++ { print $2 }' >"$work/modules"
while read -r module; do
  cp "$module" "$root/modules/"
  echo "${module##*/}" >>"$root/modules/order"
done <"$work/modules"

# The guest's command line, one word a line, so that no quoting is lost,
# after the folder it runs in: this one, read-only there.
printf '%s\n' "$PWD" "${command[@]}" >"$root/command"
# The guest's /tmp is its own: a tree under the host's /tmp (a clone made
# there) is carried over it, read-only like the rest.
for path in "$PWD" "$build"; do
  case $path in /tmp/?*) dir=${path#/tmp/}; echo "/tmp/${dir%%/*}" ;; esac
done | sort -u >"$root/carried"
cat >"$root/init" <<'EOF'
#!/bin/busybox sh
/bin/busybox --install -s /bin
mount -t proc proc /proc && mount -t sysfs sys /sys && mount -t devtmpfs dev /dev
while read -r module; do insmod "/modules/$module" || echo "alsa_vm: cannot load $module"; done </modules/order
mount -t 9p -o trans=virtio,version=9p2000.L,ro,cache=loose hostroot /share
mount -t proc proc /share/proc && mount -t sysfs sys /share/sys && mount -t devtmpfs dev /share/dev
mkdir -p /share/dev/pts /share/dev/shm
mount -t devpts -o newinstance,ptmxmode=0666 devpts /share/dev/pts
mount --bind /share/dev/pts/ptmx /share/dev/ptmx
mkdir /hosttmp && mount --bind /share/tmp /hosttmp
mount -t tmpfs tmpfs /share/tmp && mount -t tmpfs tmpfs /share/dev/shm
while read -r dir; do mkdir -p "/share$dir" && mount --bind "/hosttmp${dir#/tmp}" "/share$dir"; done </carried
# A FAT file system for a backup to be saved on (no hard links there).
dd if=/dev/zero of=/share/tmp/fat.img bs=1M count=8 2>/dev/null && mkdosfs /share/tmp/fat.img >/dev/null &&
  mkdir /share/tmp/fat && mount -t vfat -o loop /share/tmp/fat.img /share/tmp/fat
{ read -r folder; set --; while read -r word; do set -- "$@" "$word"; done; } </command
# A test that skips here (no sequencer, no virmidi port) fails the stage.
env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/tmp TERM=dumb LANG=C.UTF-8 PMCKEYS_MIDI_API=alsa \
  chroot /share /bin/bash -c 'cd "$0" && set -o pipefail && "$@" 2>&1 | tee /tmp/log && ! grep -q "^\[  SKIPPED \]" /tmp/log' "$folder" "$@"
status=$?
echo "alsa_vm: the guest's command ended with status $status"
# qemu exits with (value << 1) | 1: 1 for a pass, 3 for a failure.
[ $status -eq 0 ] && printf '\000' >/exit || printf '\001' >/exit
dd if=/exit of=/dev/port bs=1 seek=244 count=1 2>/dev/null
poweroff -f
EOF
chmod +x "$root/init"
(cd "$root" && find . | cpio -o -H newc --quiet | gzip -1) >"$work/initramfs.gz"

echo "alsa_vm: booting $kernel (qemu, TCG) to run: ${command[*]}"
status=0
timeout --kill-after=10 900 qemu-system-x86_64 -accel tcg,thread=multi -smp 2 -m 2048 -no-reboot \
  -display none -monitor none -serial stdio -device isa-debug-exit,iobase=0xf4,iosize=0x01 \
  -kernel "$kernel" -initrd "$work/initramfs.gz" \
  -append "console=ttyS0 quiet loglevel=3 panic=-1 rdinit=/init" \
  -virtfs local,path=/,mount_tag=hostroot,security_model=none,readonly=on,multidevs=remap </dev/null ||
  status=$?
case $status in
  1) echo "alsa_vm: passed" ;;
  124|137) echo "alsa_vm: FAILED: the guest was still running after 15 minutes and was killed" >&2; exit 1 ;;
  3) echo "alsa_vm: FAILED: the tests failed in the guest" >&2; exit 1 ;;
  *) echo "alsa_vm: FAILED: the guest ended without a status (qemu's exit status $status)" >&2; exit 1 ;;
esac
