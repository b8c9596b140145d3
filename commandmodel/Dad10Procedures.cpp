// The device procedures: setting the device's MIDI channel and calibrating
// an expression pedal.
#include <iostream>
#include <list>
#include <string>

#include "commandmodel/Dad10.h"
#include "frontend/Conversions.h"

namespace {

Dad10::Answers gStandardInput;
Dad10::Answers* gAnswers = nullptr;

}  // namespace

bool Dad10::Answers::word(std::string& word) { return static_cast<bool>(std::cin >> word); }

Dad10::Answers* Dad10::setAnswers(Answers* answers) {
  Answers* replaced = gAnswers;
  gAnswers = answers;
  return replaced;
}

bool validPedal(int pedal) { return pedal >= 1 && pedal <= 2; }

bool reportInvalidPedal(int pedal) {
  std::cerr << "Dad10::calibratePedal called with invalid pedal : <" << pedal << ">" << std::endl;
  return false;
}

bool Dad10::setDad10Channel(int channel) {
  if (channel < 1 || channel > 16) {
    std::cerr << "Dad10::setDad10Channel called with invalid channel : <" << channel << ">" << std::endl;
    return false;
  }
  std::list<std::string> tokens{"DAD10CHANNEL"};
  if (channel > 9) tokens.emplace_back(1, static_cast<char>('0' + channel / 10));
  tokens.emplace_back(1, static_cast<char>('0' + channel % 10));
  return pressSequence(tokens.begin(), tokens.end(), true, true);
}

bool Dad10::pressPedalSetup(int pedal) {
  return pressKey("SETUPEXPRPEDL" + std::string(1, static_cast<char>('0' + pedal)) + "ENTER", false);
}

bool Dad10::pressPedalReturn(int pedal) { return pressKey("ENDCALIBRATEPEDAL" + Conversions::int2str(pedal), false); }

bool Dad10::startCalibratePedal(int pedal) { return validPedal(pedal) ? pressPedalSetup(pedal) : reportInvalidPedal(pedal); }

bool Dad10::returnFromCalibratePedal(int pedal) {
  return validPedal(pedal) ? pressPedalReturn(pedal) : reportInvalidPedal(pedal);
}

bool Dad10::calibratePedal(int pedal) {
  if (!validPedal(pedal)) return reportInvalidPedal(pedal);
  bool done = pressPedalSetup(pedal);
  Answers& answers = gAnswers != nullptr ? *gAnswers : gStandardInput;
  for (const char* position : {" down, then", " up, then"}) {
    answers.dropTypedAhead();
    std::cout << "Place pedal " << pedal << position << std::endl;
    std::cout << "type \"ok\" followed by return key when done." << std::endl;
    std::string word;
    answers.word(word);  // any word confirms; end of input does not wait
    done = pressKey("ENTER", false) && done;
  }
  done = pressPedalReturn(pedal) && done;
  std::cout << "done." << std::endl;
  return done;
}
