#pragma once
// Whether the machine has a joystick or game controller the program could read, from the kernel's
// own description of its input devices, and a watch of the device folder that says when one may
// have come. SDL's controller support costs a udev connection and a database of a thousand
// controller mappings (about 0.4 MB in each program) and a look for new devices four times a
// second; Controllers brings it up only once there is a controller to use.

#include <string>

namespace platform {

class JoystickDevices {
 public:
  // The folders of the device nodes and of the kernel's input classes; other folders in tests.
  explicit JoystickDevices(std::string deviceFolder = "/dev/input",
                           std::string classFolder = "/sys/class/input");
  ~JoystickDevices();
  JoystickDevices(const JoystickDevices&) = delete;
  JoystickDevices& operator=(const JoystickDevices&) = delete;

  // Begins watching the device folder, or its parent until the folder is made. False when this
  // system cannot be watched or does not describe its devices: then a controller may come at any
  // time unseen, and the caller had better bring up its controller support at once.
  bool Watch();
  // True when device nodes came, went or changed their permissions since the last call (or since
  // Watch); never blocks.
  bool Changed();
  // Whether an event device whose buttons include a joystick's or a gamepad's is there and can be
  // read by this process (a node that the desktop has not yet opened to the player is not).
  bool AnyPresent() const;

  // Whether the text of a device's key capabilities (the kernel's bitmap: words of hexadecimal
  // digits, the highest first, each as wide as the kernel's long) has a bit of the joystick,
  // gamepad or extra trigger buttons set.
  static bool HasJoystickButtons(const std::string& keyBitmap);

 private:
  void WatchDeviceFolder();

  std::string deviceFolder;
  std::string classFolder;
  int descriptor = -1;
  int deviceWatch = -1;
};

}  // namespace platform
