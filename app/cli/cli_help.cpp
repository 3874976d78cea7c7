#include "app/cli/cli_main.h"

namespace trelvin2 {

std::string CliHelp() {
  return R"(Aufruf: trelvin2-cli --port NAME [--baud RATE] [--framing 8N1|8E1|8O1]
                    [--repeat [N]] [--json] [--trace DATEI]
       trelvin2-cli --list-ports

Stellt die serielle Schnittstelle eines Trelvin 2 über seinen Boot-Loader ein, genau wie
trelvin2-rs232: nach dem Start das Trelvin 2 zurücksetzen (Reset oder Neustart).

  --port NAME        com1 bis com9 (wie im Programm trelvin2-rs232) oder der Pfad eines
                     seriellen Geräts (/dev/ttyUSB0, /dev/serial/by-id/...)
  --baud RATE        künftige Baudrate: 300, 1200, 2400, 4800, 9600, 19200, 38400, 57600,
                     115200 (Vorgabe 115200)
  --framing F        künftiges Protokoll: 8N1, 8E1 oder 8O1 (Vorgabe 8N1)
  --repeat [N]       Serie: nach jeder Einheit auf die nächste warten (N Einheiten, ohne N
                     bis Strg-C oder Strg-D); jede Einheit mit nummerierter Ergebniszeile,
                     am Ende eine Zusammenfassung; nach jeder Einheit bleibt die
                     Leitung 3 s ruhig
  --json             je Einheit ein JSON-Objekt auf der Standardausgabe; die Meldungen gehen
                     dann auf die Standardfehlerausgabe
  --trace DATEI      jedes Byte in beiden Richtungen mit seiner Zeit in ms, für Fehlerberichte
  --list-ports       com1 bis com9: wofür der Name steht, frei oder belegt
  --help             diese Hilfe

Strg-C beendet das Warten auf den Loader sofort, ohne weitere Bytes zu senden; während des
Löschens und Programmierens wirkt es erst, wenn die Einheit fertig ist.

Exit-Status:
  0    erfolgreich (bei --repeat: alle Einheiten)
  2    Aufruf fehlerhaft (unbekannte Option, Rate, Protokoll, Port fehlt)
  3    Port kann nicht geöffnet werden (nicht vorhanden, belegt, keine Rechte)
  4    der Loader antwortet nicht innerhalb von 30 s
  5    Sicherheits-Code nicht angenommen oder nicht beantwortet
  6    Löschen abgelehnt
  7    Programmieren abgelehnt
  130  abgebrochen (Strg-C; nach SIGTERM 143, nach SIGHUP 129)
Bei --repeat gilt der Status der ersten fehlgeschlagenen Einheit.
)";
}

}  // namespace trelvin2
