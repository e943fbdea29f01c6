"""The installer's wizard seen from outside: its controls, how to tell its
pages apart, and the prefix fixtures (ports, printers, a USB printer) that
the wizard scenarios and the main job set up before a run.

A page is recognised by what it shows, the way a user would: the folder
field on the folder page, the model box on the printer page, the progress
bar while installing, the lone relabelled Cancel button on the final page.
"""

from harness import INSTALLER_EXE, DriverError, wait_until

# Dialog controls.
NEXT, BROWSE, BACK, CANCEL = 1001, 1002, 1003, 1007
PROGRESS = 1004
PORT_GROUP, MODEL, MODEL_LABEL, NAME_LABEL, SET_DEFAULT, PRINTER_NAME = 1024, 1025, 1028, 1027, 1029, 1030
PORT_LABEL, PORT = 1036, 1043
BAUD_LABEL, BAUD, DATA_LABEL, DATA_BITS = 1040, 1048, 1046, 1047
PARITY_LABEL, PARITY, STOP_LABEL, STOP_BITS, FLOW_LABEL, FLOW = 1054, 1049, 1050, 1051, 1053, 1052
# The folder field is an edit with this id inside the panel's flat-edit
# container, not a dialog control.
FOLDER_EDIT = 1001

PRINTER_CONTROLS = {PORT_GROUP, MODEL_LABEL, MODEL, PRINTER_NAME, NAME_LABEL, SET_DEFAULT, PORT_LABEL,
                    PORT}
SERIAL_CONTROLS = [BAUD_LABEL, BAUD, DATA_LABEL, DATA_BITS, PARITY_LABEL, PARITY, STOP_LABEL,
                   STOP_BITS, FLOW_LABEL, FLOW]
BUTTONS = {NEXT, BACK, CANCEL}

# Dialog controls that each page shows (the panel, id 0, aside), and whether
# the folder field shows.
PAGE_CONTROLS = {
    "welcome": ({NEXT, CANCEL}, False),
    "folder": ({NEXT, BACK, CANCEL, BROWSE}, True),
    "printer": (BUTTONS | PRINTER_CONTROLS | set(SERIAL_CONTROLS), False),
    "installing": (BUTTONS | {PROGRESS}, False),
    "final": ({CANCEL}, False),
}

LANGUAGE_LIST = 1008
LANGUAGE_ENTRY = {"Chinese": 0, "English": 1, "Russian": 2}

PORTS_KEY = r"HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\Ports"
PORTS_KEY_SHORT = r"HKLM\Software\Microsoft\Windows NT\CurrentVersion\Ports"
PRINTERS_KEY = r"HKEY_LOCAL_MACHINE\System\CurrentControlSet\Control\Print\Printers"
USB_PRINT_GUID = "{28d78fad-5a12-11d1-ae5b-0000f803a8c2}"
# Any device setup class: Wine's device setup drops an instance without one.
USB_DEVICE_CLASS = "{36fc9e60-c465-11cf-8056-444553540000}"

WINDOW_TIMEOUT = 60.0  # the first window of a program in a fresh prefix
STEP_TIMEOUT = 15.0


# ------------------------------------------------------------------ fixtures

def ports_fixture(names):
    """Registry keys that leave the spooler's local monitor exactly these
    ports (Wine lists the values of the Ports key, in name order)."""
    return {"-" + PORTS_KEY: {}, PORTS_KEY: {name: "" for name in names}}


def printers_fixture(names, port="LPT1:"):
    """Registry keys of local printers that Wine's spooler lists."""
    return {rf"{PRINTERS_KEY}\{name}": {
        "Name": name, "Port": port, "Printer Driver": "E2E Fixture Driver",
        "Print Processor": "WinPrint", "Datatype": "RAW", "Attributes": 0x40}
        for name in names}


def refusing_printer_fixture(listed_name):
    """A printer key that makes Wine 8's AddPrinterW refuse a name equal to
    `listed_name` without regard to case with ERROR_PRINTER_ALREADY_EXISTS
    (1802), while the spooler lists the printer as `listed_name`.

    Wine's AddPrinterW looks for an existing printer with
    RegQueryValueW(printer key, "Attributes"), which reads the default
    value of a sub-key named "Attributes", not the value: a printer added
    through the spooler has no such sub-key and is silently overwritten.
    The fixture carries that sub-key. Registry keys ignore case, so the key
    of "MERLO 204T" is also the key of "Merlo 204T", which a case-exact
    comparison of the listed names does not find."""
    keys = printers_fixture([listed_name])
    keys[rf"{PRINTERS_KEY}\{listed_name}\Attributes"] = {"@": ""}
    return keys


DRIVER_BRANCH = (r"HKLM\System\CurrentControlSet\Control\Print\Environments\Windows x64"
                 r"\Drivers\Version-3")


def refuse_new_drivers(drv):
    """Makes the prefix's spooler refuse every new 64-bit driver: Wine keeps
    the drivers of an environment under one key, and a volatile key refuses
    persistent sub-keys (ERROR_CHILD_MUST_BE_VOLATILE, 1021). Drivers
    installed before are gone with the old key. Lasts while the prefix's
    wineserver runs."""
    drv.reg_delete(DRIVER_BRANCH)
    if not drv.reg_create(DRIVER_BRANCH, volatile=True):
        raise AssertionError("the driver branch could not be made volatile")


def usb_printer_fixture(vid_pid, serial="lp0001", parent_prefix="7&2a1b3c4d&0", port="USB001"):
    """Registry keys of one connected USB printer, as Wine's device setup and
    the USB printing support would leave them:

    - the USB printer interface under DeviceClasses, present ("#\\Control",
      Linked = 1), pointing at the device instance USB\\<VID&PID>\\<serial>;
    - that instance in Enum\\USB with a ClassGUID (needed by Wine) and its
      ParentIdPrefix;
    - the USB printing child Enum\\USBPRINT\\<class>\\<prefix>&<port> with a
      "Control" sub-key (present);
    - the port known to the spooler.

    Wine builds the device path from the instance id in lower case, like
    Windows: \\\\?\\usb#vid_xxxx&pid_yyyy#<serial>#{guid}. `serial` should be
    lower case so that the path and the instance name agree."""
    vid_pid = vid_pid.lower()
    instance = rf"USB\{vid_pid.upper()}\{serial.upper()}"
    symlink = rf"\\?\usb#{vid_pid}#{serial}#{USB_PRINT_GUID}"
    iface = (r"HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Control\DeviceClasses"
             rf"\{USB_PRINT_GUID}\##?#usb#{vid_pid}#{serial}#{USB_PRINT_GUID}")
    enum = r"HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Enum"
    return {
        iface: {"DeviceInstance": instance},
        iface + r"\#": {"SymbolicLink": symlink},
        iface + r"\#\Control": {"Linked": 1},
        rf"{enum}\{instance}": {"ClassGUID": USB_DEVICE_CLASS, "ParentIdPrefix": parent_prefix},
        rf"{enum}\USBPRINT\E2ELabelPrinter\{parent_prefix}&{port}\Control": {},
        PORTS_KEY: {port: ""},
    }


def read_model_records(printer_name_txt):
    """Every model row of a PrinterName.txt as a dict: name, cutter,
    commandSet, gpd, vidPid, dpi, hardwareId, paperWidth, paperHeight
    (tenths of a millimetre) and headWidth (dots)."""
    if printer_name_txt[:2] != b"\xff\xfe":
        raise AssertionError("PrinterName.txt without the UTF-16LE byte-order mark")
    keys = ["name", "cutter", "commandSet", "gpd", "vidPid", "dpi", "hardwareId", "paperWidth",
            "paperHeight", "headWidth"]
    numbers = {"cutter", "dpi", "paperWidth", "paperHeight", "headWidth"}
    records = []
    for line in printer_name_txt[2:].decode("utf-16-le").split("\r\n"):
        if not line or "//" in line:
            continue
        fields = [f.strip(" ") for f in line.split(",")]
        record = dict(zip(keys, fields))
        records.append({k: int(v) if k in numbers else v for k, v in record.items()})
    return records


def read_models(printer_name_txt):
    """(name, vid&pid) of each model row of a PrinterName.txt (UTF-16LE with
    byte-order mark), blanks around fields removed."""
    if printer_name_txt[:2] != b"\xff\xfe":
        raise AssertionError("PrinterName.txt without the UTF-16LE byte-order mark")
    rows = []
    for line in printer_name_txt[2:].decode("utf-16-le").split("\r\n"):
        if not line or "//" in line:
            continue
        fields = [f.strip(" ") for f in line.split(",")]
        rows.append((fields[0], fields[4]))
    return rows


# ------------------------------------------------------------------ the wizard

def page_of(window):
    """The page a dump of the wizard shows: welcome, folder, printer,
    installing, final, or None when it matches none of them."""
    visible = visible_controls(window)
    folder_shown = folder_field(window)["visible"]
    for page, (controls, folder) in PAGE_CONTROLS.items():
        if visible == controls and folder_shown == folder:
            return page
    return None


def visible_controls(window):
    """Ids of the visible dialog controls (children of the dialog itself,
    the panel aside)."""
    return {c["id"] for c in window["children"]
            if c["parent"] == window["hwnd"] and c["visible"] and c["id"] != 0}


def dialog_controls(window):
    """{id: control} of the dialog's own children."""
    return {c["id"]: c for c in window["children"] if c["parent"] == window["hwnd"]}


def folder_field(window):
    """The folder edit: an Edit with id 1001 whose parent is the flat-edit
    container, a child of the panel. Its "visible" is the container's."""
    edits = [c for c in window["children"]
             if c["class"] == "Edit" and c["id"] == FOLDER_EDIT and c["parent"] != window["hwnd"]]
    if len(edits) != 1:
        raise AssertionError(f"expected one folder field in the wizard, found {edits}")
    return edits[0]


class Wizard:
    """One running wizard dialog and its installer process."""

    def __init__(self, drv, hwnd, proc=None):
        self.drv = drv
        self.hwnd = hwnd
        self.proc = proc
        self.pid = drv.dump(hwnd)["pid"]

    def dump(self):
        return self.drv.dump(self.hwnd)

    def controls(self):
        return dialog_controls(self.dump())

    def page(self):
        return page_of(self.dump())

    def wait_page(self, page, timeout=STEP_TIMEOUT):
        seen = {}

        def arrived():
            seen["page"] = self.page()
            return seen["page"] == page

        try:
            wait_until(arrived, timeout, what=f"the {page} page")
        except TimeoutError:
            window = self.dump()
            raise AssertionError(f"the wizard did not show the {page} page: it shows "
                                 f"{seen.get('page')}, visible controls "
                                 f"{sorted(visible_controls(window))}") from None

    def folder_text(self):
        return folder_field(self.dump())["text"]

    def set_folder(self, text):
        field = folder_field(self.dump())
        return self.drv.settext(field["parent"], FOLDER_EDIT, text)

    def click(self, control_id):
        self.drv.click(self.hwnd, control_id)

    def select(self, control_id, index=None, text=None):
        """Selects a combo box entry; the selection-change notification is
        posted, so it reaches the dialog before any later posted click."""
        return self.drv.select(self.hwnd, control_id, index=index, text=text)

    def other_windows(self):
        """Visible top-level windows of the installer besides the wizard."""
        return [w for w in self.drv.windows(pid=self.pid, visible=True) if w["hwnd"] != self.hwnd]

    def wait_other_window(self, timeout=STEP_TIMEOUT, what="a window besides the wizard"):
        found = wait_until(self.other_windows, timeout, what=what)
        if len(found) != 1:
            raise AssertionError(f"expected one window besides the wizard, found {found}")
        return found[0]

    def ended(self):
        return self.proc is not None and self.proc.poll() is not None


def start_wizard(prefix, installer, locale, language, log=None):
    """Starts the installer, answers the language dialog with `language`
    (Chinese, English or Russian) and returns the Wizard on its welcome page."""
    drv = prefix.driver()
    proc = prefix.start(installer, locale, log=log)
    try:
        first = drv.find_one(timeout=WINDOW_TIMEOUT, exe=INSTALLER_EXE, visible=True)
    except DriverError:
        code = proc.poll()
        raise AssertionError(f"no installer window under {locale}"
                             + (f"; the installer ended with {code}" if code is not None else ""))
    dlg = first["hwnd"]
    entry = LANGUAGE_ENTRY[language]
    if drv.control(dlg, LANGUAGE_LIST)["cursel"] != entry:
        drv.select(dlg, LANGUAGE_LIST, index=entry)
        wait_until(lambda: drv.control(dlg, LANGUAGE_LIST)["cursel"] == entry, STEP_TIMEOUT,
                   what=f"{language} to be selected")
    drv.click(dlg, 1)
    drv.wait_gone(dlg, timeout=STEP_TIMEOUT)

    def wizard_window():
        for w in drv.windows(pid=first["pid"], visible=True):
            if w["class"] == "#32770":
                return w
        if proc.poll() is not None:
            raise AssertionError(f"the installer ended ({proc.returncode}) instead of "
                                 "showing the wizard")
        return None

    window = wait_until(wizard_window, WINDOW_TIMEOUT, what="the wizard")
    wizard = Wizard(drv, window["hwnd"], proc)
    wizard.wait_page("welcome")
    return wizard

