#!/usr/bin/env bash
# Builds the board firmware from the command line with avr-g++ against the
# Arduino core (Debian: gcc-avr avr-libc arduino-core-avr).
#   firmware/build.sh OUTPUT_DIR       -> OUTPUT_DIR/pmckeys_board.elf and .hex
# Flash the .hex with: avrdude -p atmega328p -c arduino -P /dev/ttyACM0 -b 115200 -U flash:w:pmckeys_board.hex:i
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out=$(mkdir -p "${1:?usage: build.sh OUTPUT_DIR}" && cd "$1" && pwd)
core=${ARDUINO_CORE_DIR:-/usr/share/arduino/hardware/arduino/avr}
mcu=atmega328p

flags=(-mmcu=$mcu -DF_CPU=16000000UL -DARDUINO=10807 -DARDUINO_AVR_UNO -DARDUINO_ARCH_AVR
       -DDECIMAL_DIG=__DECIMAL_DIG__ -Os -ffunction-sections -fdata-sections -Wall
       -I"$core/cores/arduino" -I"$core/variants/standard")
objects=()
mkdir -p "$out/obj"
for source in "$core"/cores/arduino/*.c "$core"/cores/arduino/*.cpp "$core"/cores/arduino/*.S; do
  [ -e "$source" ] || continue
  object="$out/obj/$(basename "$source").o"
  case $source in
    *.c) avr-gcc "${flags[@]}" -std=gnu11 -c "$source" -o "$object" ;;
    *.S) avr-gcc "${flags[@]}" -x assembler-with-cpp -c "$source" -o "$object" ;;
    *) avr-g++ "${flags[@]}" -std=gnu++11 -fno-exceptions -fno-threadsafe-statics -c "$source" -o "$object" ;;
  esac
  objects+=("$object")
done
avr-g++ "${flags[@]}" -std=gnu++11 -fno-exceptions -fno-threadsafe-statics -Werror \
  -x c++ -c "$here/pmckeys_board/pmckeys_board.ino" -o "$out/obj/sketch.o"
avr-gcc -mmcu=$mcu -Os -Wl,--gc-sections -o "$out/pmckeys_board.elf" "$out/obj/sketch.o" "${objects[@]}" -lm
avr-objcopy -O ihex -R .eeprom "$out/pmckeys_board.elf" "$out/pmckeys_board.hex"
avr-size "$out/pmckeys_board.elf" | tail -n 1
