# A real VISA client against a headless server on the emulator: waiting by *OPC? and by *ESR? polling, the traces
# as text and as blocks in both byte orders, the same levels in a stored measurement read back by tk820-convert,
# and a line over 64 KiB. Pass/fail and the worst margin are the README example's, run after this client.
import csv, errno, socket, subprocess, sys, time
import pyvisa

address, folder, convert = sys.argv[1], sys.argv[2], sys.argv[3]
host, port = address.split("::")
failures = []

def check(ok, what):
    if not ok:
        failures.append(what)

tk = pyvisa.ResourceManager("@py").open_resource(f"TCPIP::{address}::SOCKET", read_termination="\n",
                                                 write_termination="\n", timeout=20000)
tk.write('INST:CONN ON;:MMEM:LOAD:STAT "campaign.set";:MMEM:LOAD:LIM "cispr32-class-b-mains.grn"')
check(tk.query("CALC:LIM:STAT ACT,ON;:INIT:IMM;*OPC?") == "1", "INIT:IMM;*OPC?")
check(tk.query("TRAC:TIME? ACT") != '"--:--:--"', "no time of the actual trace after a measurement")
idn = tk.query("*IDN?").split(",")
check(idn[2].startswith("V"), f"*IDN? online: {idn}")  # the interface's version, read as the port opened
# The other way drivers wait: *OPC, then polling the operation-complete bit of *ESR?.
tk.write("INIT:IMM;*OPC")
deadline = time.monotonic() + 60
while not int(tk.query("*ESR?")) & 1 and time.monotonic() < deadline:
    time.sleep(0.05)
check(time.monotonic() < deadline, "*OPC never set the operation-complete bit")
error = tk.query("SYST:ERR?")
check(error == '0,"No error"', f"error after the measurement: {error}")
points = 4000 // int(tk.query("SENS:RES?"))
text, block = {}, {}
for trace in ("ACT", "AVER", "PEAK"):
    text[trace] = tk.query_ascii_values(f"TRAC:DATA? {trace}")
    tk.write("FORM REAL,32")
    block[trace] = tk.query_binary_values(f"TRAC:DATA? {trace}", datatype="f", is_big_endian=False)
    tk.write("FORM:BORD NORM")
    big = tk.query_binary_values(f"TRAC:DATA? {trace}", datatype="f", is_big_endian=True)
    tk.write("FORM ASC;FORM:BORD SWAP")
    check(big == block[trace], f"{trace}: the block most significant byte first differs")
    check(len(text[trace]) == points and len(block[trace]) == points, f"{trace}: {len(text[trace])} points")
    check(all(abs(a - b) <= 0.005 for a, b in zip(text[trace], block[trace])), f"{trace}: text and block differ")
freqs = tk.query_ascii_values("TRAC:FREQ?")
tk.write('MMEM:STOR:MEAS "remote.mes"')
check(tk.query("*OPC?;:SYST:ERR?") == '1;0,"No error"', "storing the measurement")
subprocess.run([convert, f"{folder}/remote.mes", f"{folder}/remote.csv"], check=True)
rows = list(csv.reader(open(f"{folder}/remote.csv")))[1:]
check(len(rows) == points, f"{len(rows)} rows in the stored measurement")
for column, trace in ((1, "ACT"), (2, "AVER"), (3, "PEAK")):
    check([float(r[column]) for r in rows] == text[trace], f"{trace} differs from the stored measurement")
check([float(r[0]) for r in rows] == freqs, "frequencies differ from the stored measurement")

tk.write("X" * 70000)
check(tk.query("SYST:ERR?").startswith("-223,"), "a line over 64 KiB")
check(tk.query("*OPC?") == "1", "the session after a line over 64 KiB")

# Four clients at once; a fifth is closed at once. A client that leaves in the middle of a query harms nobody.
others = [socket.create_connection((host, int(port))) for _ in range(3)]
fifth = socket.create_connection((host, int(port)))
fifth.settimeout(5)
check(fifth.recv(1) == b"", "a fifth client was let in")
others[0].sendall(b"INIT:IMM;*OPC?\n")
others[0].close()
check(tk.query("*OPC?") == "1", "the session after a client left in a query")
for s in others[1:] + [fifth]:
    s.close()

# A client that asks and never reads is closed once 16 MiB of answers wait for it; the others go on.
# It reads nothing at all: whether it was closed shows as the reset pending on its socket, not by reading,
# which would take answers off the server's backlog.
greedy = socket.create_connection((host, int(port)))
greedy.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 4096)
greedy.sendall(b"TRAC:DATA? ACT;:TRAC:DATA? PEAK\n" * 6000)
check(tk.query("*OPC?") == "1", "the session beside a client that never reads")
closed = False
deadline = time.monotonic() + 60
while not closed and time.monotonic() < deadline:
    closed = greedy.getsockopt(socket.SOL_SOCKET, socket.SO_ERROR) == errno.ECONNRESET
    if not closed:
        time.sleep(0.05)
check(closed, "a client that never reads was not closed")
greedy.close()
tk.close()
if failures:
    print("FAIL:", *failures, sep="\n  ")
    sys.exit(1)
