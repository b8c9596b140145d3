// pmckeys board firmware: presses the keys of a Digitech PMC 10 for pmckeys.
//
// Arduino Uno or Nano (ATmega328P, 16 MHz). pmckeys sends one character per
// key press at 9600 baud, 8N1; the board drives the key's code on the four
// signal lines of the PMC 10's keypad connector, holds it, releases it and
// answers "ok" and a line feed. The probe "?", which pmckeys sends after
// opening the line to learn whether the board is up, is answered "ready" and
// a line feed. Any other byte (CR and LF included) is ignored without an
// answer, and no answer holds a key character: a line left in a terminal's
// echo mode sends the answers back, and that must press nothing.
//
// The key lines are the low four bits of PORTB, Uno digital pins 8 to 11:
//   pin 8  (PB0) -> DIN pin A, bit 0 of the key code
//   pin 9  (PB1) -> DIN pin B, bit 1
//   pin 10 (PB2) -> DIN pin D, bit 2
//   pin 11 (PB3) -> DIN pin E, bit 3
//   GND          -> DIN pin C
// All four high (the low nibble of the release code 0xff) means no key.
// The lines change in one write, so the device never sees a code between
// two keys.
#include <Arduino.h>

const uint8_t KEY_LINES = 0x0F;       // PORTB bits 0 to 3
const unsigned long HOLD_MS = 15;     // how long a key is held down
const unsigned long RELEASE_MS = 15;  // released before the reply, so the next key starts clean
const long BAUD_RATE = 9600;
const char PROBE = '?';

struct Key {
  char character;
  uint8_t code;
};

// One character per front-panel key, as pmckeys sends them.
const Key KEYS[] = {
    {'9', 0xf0}, {'1', 0xf1}, {'5', 0xf2}, {'E', 0xf3}, {'7', 0xf4}, {'S', 0xf5}, {'3', 0xf6}, {'+', 0xf7},
    {'8', 0xf8}, {'0', 0xf9}, {'4', 0xfa}, {'M', 0xfb}, {'6', 0xfc}, {'-', 0xfd}, {'2', 0xfe},
};

// The key code of a character, or 0 when it names no key.
uint8_t keyCodeOf(int character) {
  for (const Key& key : KEYS) {
    if (key.character == character) return key.code;
  }
  return 0;
}

void driveKeyLines(uint8_t code) { PORTB = (PORTB & ~KEY_LINES) | (code & KEY_LINES); }

void pressKey(uint8_t code) {
  driveKeyLines(code);
  delay(HOLD_MS);
  driveKeyLines(0xff);
  delay(RELEASE_MS);
}

void setup() {
  // Outputs high before anything else: writing PORTB first turns on the
  // pull-ups, so the lines never go low on their way to being outputs.
  PORTB |= KEY_LINES;
  DDRB |= KEY_LINES;
  Serial.begin(BAUD_RATE);
}

void loop() {
  if (Serial.available() == 0) return;
  const int character = Serial.read();
  if (character == PROBE) {
    Serial.print("ready\n");
    return;
  }
  const uint8_t code = keyCodeOf(character);
  if (code == 0) return;
  pressKey(code);
  Serial.print("ok\n");  // a line feed alone: the host reads up to '\n'
}
