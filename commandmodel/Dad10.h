// Dad10: the Digitech PMC 10 MIDI Footcontroller as the program sees it: a
// set of named front-panel keys, the compound commands that name places in
// its menus, a key press engine that presses them through a key port, and
// the channel and pedal procedures.
//
// The tool uses one instance, reached through getInstance(); creating it
// creates the key port (which may open the serial line). The script check,
// the tests and the build-time tools make their own on a port of their
// choosing. Every model owns its port and deletes it when it is destroyed;
// the one getInstance() creates lives until the process ends. While a sequence is pressed with the
// return flag, the engine records the trail: the tokens that lead back
// through the menus, newest first, which returnFromTrail() presses afterwards.
//
// Decoding a token into key codes and extending a trail are static and
// pure (expand(), recordWayBack(), wayBack()), so that a sequence can be
// followed key by key without an instance and without opening the line;
// the engine presses exactly what they yield.
#ifndef PMCKEYS_COMMANDMODEL_DAD10_H
#define PMCKEYS_COMMANDMODEL_DAD10_H

#include <list>
#include <map>
#include <string>
#include <vector>

class HardwarePort;

class Dad10 {
public:
  static constexpr int RELEASE_KEY = 255;
  static constexpr int DEFAULT_DELAY_MS = 15;
  static constexpr int RETURN_PAUSE_MS = 500;

  static Dad10* getInstance();
  // Makes getInstance() return another model (null: the one on the serial
  // line, created on first use) and returns the one it replaced. A script
  // is checked by running its commands on a model whose port only follows
  // the keys; the caller keeps ownership.
  static Dad10* setInstance(Dad10* dad10);

  // A model on a port of the caller's choosing, owned from now on: the
  // script check runs its lines on one, and so do tests and the tools.
  explicit Dad10(HardwarePort* port);
  ~Dad10();
  Dad10(const Dad10&) = delete;
  Dad10& operator=(const Dad10&) = delete;

  bool initSucceeded() const { return fInitSucceeded; }
  void setDelayInMilliseconds(int ms) { fDelayMs = ms; }

  // Key press primitives: one press is eight calls on the port.
  void releaseKey();
  void innerPressKey(int code);
  void pressKey(int code);

  // Decodes and presses one token (key name, hex token or compound command),
  // extending the trail when record is true. False when the token, or a
  // token of its expansion, names nothing or a code no key has (a warning
  // has been written and nothing pressed for it).
  bool pressKey(std::string token, bool record);

  // Presses every token of [first, last), then shows and/or presses the
  // trail. False when any token named nothing.
  template <typename Iterator>
  bool pressSequence(Iterator first, Iterator last, bool display, bool returnAlong) {
    bool allKnown = true;
    for (Iterator it = first; it != last; ++it) {
      if (!pressKey(*it, returnAlong)) allKnown = false;
    }
    if (display) displayTrail();
    if (returnAlong) returnFromTrail();
    return allKnown;
  }

  // What one token stands for: its key codes in pressing order, and one
  // warning line for every token in it that names nothing.
  struct Keys {
    std::vector<int> codes;
    std::vector<std::string> warnings;
  };
  static Keys expand(std::string token);
  // Puts the way back from one key at the front of a trail: PREV for
  // MENU/NEXT, PREV ENTER for ENTER, nothing for any other key.
  static void recordWayBack(int code, std::list<std::string>& trail);
  // The tokens the return presses: the trail, then a final ENTER.
  static std::list<std::string> wayBack(const std::list<std::string>& trail);

  void displayTrail();
  void returnFromTrail();
  const std::list<std::string>& trail() const { return fTrail; }
  // After a sequence was cut short (stopped, or the line failed), its trail
  // leads nowhere: the next sequence starts a new one.
  void forgetTrail() { fTrail.clear(); }

  static int decodeSingleToken(const std::string& token);
  static int decodeDad10Key(const std::string& name);
  static std::string decodeCompound(const std::string& name);

  // Fills both maps; expand() does it on first use, so that decoding needs
  // no instance.
  static void initMap();
  void displayCommands();

  // Procedures. Each checks its number first; false (with one line on
  // standard error, nothing pressed) when it is out of range.
  bool setDad10Channel(int channel);
  bool startCalibratePedal(int pedal);
  bool returnFromCalibratePedal(int pedal);
  bool calibratePedal(int pedal);

  // Where the calibration reads its answers, one word each: by default
  // std::cin as formatted input. The front end puts a terminal's reader in
  // its place, which drops, before each prompt, whatever was typed ahead of
  // it. setAnswers() returns the one it replaced (null: the default); the
  // caller keeps ownership.
  class Answers {
  public:
    virtual ~Answers() = default;
    virtual void dropTypedAhead() {}
    // False at the end of the input or on an error: then it does not wait.
    virtual bool word(std::string& word);
  };
  static Answers* setAnswers(Answers* answers);

  static std::map<std::string, int> fgPmcKeyMap;
  static std::map<std::string, std::string> fgPmcCompoundMap;

private:
  Dad10();

  // The pedal's setup and the fixed way back from it, for a valid pedal.
  bool pressPedalSetup(int pedal);
  bool pressPedalReturn(int pedal);

  static Dad10* fgInstance;

  bool fInitSucceeded;
  int fDelayMs;
  HardwarePort* fPort;
  std::list<std::string> fTrail;
};

// Pedal numbers are checked the same way by every pedal operation, including
// the free calibratePedal() of the command line; where a request enters, an
// invalid one is reported (one line on standard error, false returned).
bool validPedal(int pedal);
bool reportInvalidPedal(int pedal);

#endif
