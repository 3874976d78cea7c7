#!/usr/bin/env python3
"""Writes data/firmware.bin: the Trelvin 2's program memory below its boot loader, 7680 bytes,
offset equal to device address, 0xFF where unprogrammed.

The device's real application is not ours to ship, and the tool never sends it: only the
divisor table of the LinkConfigRecord at 0x1D40 leaves the tool. So the application area holds
a small stand-in of our own that does what the real firmware does at start-up (read the record,
set up the UART from it) and then echoes bytes, padded with no-ops to the application's end.
"""
import pathlib
import struct

IMAGE_SIZE = 0x1E00          # everything below the boot loader at 0x1E00
APP_START = 0x0020
APP_END = 0x10E1             # last byte of the application's code
RECORD = 0x1D40              # LinkConfigRecord, 20 bytes
STORAGE = 0x1D80             # two 64-byte rows the application keeps its own data in

# Divisors for 40 MHz with BRG16 = 1 and BRGH = 1: rate = 40e6 / (4 * (n + 1)); high byte first.
DIVISORS = [0x8234, 0x208C, 0x1045, 0x0822, 0x0410, 0x0207, 0x0103, 0x00AD, 0x0056]
DEFAULT_BAUD_CODE = 8        # 115200
DEFAULT_PROTOCOL_CODE = 0    # 8N1

# PIC18 special function registers in the access bank.
TBLPTRU, TBLPTRH, TBLPTRL, TABLAT = 0xF8, 0xF7, 0xF6, 0xF5
SPBRGH, SPBRG, BAUDCTL, TXSTA, RCSTA, TXREG, RCREG, PIR1 = (
    0xB0, 0xAF, 0xAA, 0xAC, 0xAB, 0xAD, 0xAE, 0x9E)
BAUD_CODE, PROTOCOL_CODE = 0x00, 0x01   # two bytes of access RAM


def nop(): return [0x0000]
def movlw(k): return [0x0E00 | k]
def addlw(k): return [0x0F00 | k]
def movwf(f): return [0x6E00 | f]
def clrf(f): return [0x6A00 | f]
def movf_w(f): return [0x5000 | f]
def rlncf_w(f): return [0x4400 | f]
def bsf(f, b): return [0x8000 | b << 9 | f]
def btfsc(f, b): return [0xB000 | b << 9 | f]
def btfss(f, b): return [0xA000 | b << 9 | f]
def tblrd_postinc(): return [0x0009]
def tblrd(): return [0x0008]
def bra(offset_words): return [0xD000 | (offset_words & 0x7FF)]


def goto(address):
    k = address >> 1
    return [0xEF00 | (k & 0xFF), 0xF000 | (k >> 8)]


def application():
    code = []
    # Read BaudCode and ProtocolCode from the record.
    code += clrf(TBLPTRU) + movlw(RECORD >> 8) + movwf(TBLPTRH)
    code += movlw((RECORD + 18) & 0xFF) + movwf(TBLPTRL)
    code += tblrd_postinc() + movf_w(TABLAT) + movwf(BAUD_CODE)
    code += tblrd() + movf_w(TABLAT) + movwf(PROTOCOL_CODE)
    # Load the divisor at position BaudCode, high byte first, into the baud-rate generator.
    code += rlncf_w(BAUD_CODE) + addlw(RECORD & 0xFF) + movwf(TBLPTRL)
    code += tblrd_postinc() + movf_w(TABLAT) + movwf(SPBRGH)
    code += tblrd() + movf_w(TABLAT) + movwf(SPBRG)
    code += movlw(0x08) + movwf(BAUDCTL)               # BRG16
    code += movlw(0x24) + movwf(TXSTA)                 # TXEN, BRGH
    code += btfsc(PROTOCOL_CODE, 0) + bsf(TXSTA, 6)    # TX9 when parity is on
    code += movlw(0x90) + movwf(RCSTA)                 # SPEN, CREN
    code += btfsc(PROTOCOL_CODE, 0) + bsf(RCSTA, 6)    # RX9 when parity is on
    # Echo loop: wait for RCIF, send the byte back.
    code += btfss(PIR1, 5) + bra(-2)
    code += movf_w(RCREG) + movwf(TXREG) + bra(-5)
    words = (APP_END + 1 - APP_START) // 2
    code += nop() * (words - len(code) - 1)
    code += bra(-1)                                    # never reached: a stop at the end
    assert len(code) == words
    return code


def words_to_bytes(words):
    return b"".join(struct.pack("<H", w) for w in words)   # low byte at the even address


def main():
    image = bytearray(b"\xFF" * IMAGE_SIZE)
    image[0:6] = words_to_bytes(nop() + goto(APP_START))   # reset vector
    app = words_to_bytes(application())
    image[APP_START:APP_START + len(app)] = app
    record = b"".join(struct.pack(">H", d) for d in DIVISORS)
    record += bytes([DEFAULT_BAUD_CODE, DEFAULT_PROTOCOL_CODE])
    image[RECORD:RECORD + len(record)] = record
    # The application's storage rows start out with a marker and zeroed counters.
    image[STORAGE:STORAGE + 16] = b"TRV2" + bytes(12)
    image[STORAGE + 64:STORAGE + 64 + 16] = b"TRV2" + bytes(12)
    assert len(image) == IMAGE_SIZE
    out = pathlib.Path(__file__).with_name("firmware.bin")
    out.write_bytes(image)
    print(f"wrote {out} ({len(image)} bytes)")


if __name__ == "__main__":
    main()
