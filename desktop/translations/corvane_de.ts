<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE" sourcelanguage="en">
<context>
    <name>ChartAccessible</name>
    <message numerus="yes">
        <source>Wind rose of %n counters</source>
        <translation>
            <numerusform>Windrose mit %n Zähler</numerusform>
            <numerusform>Windrose mit %n Zählern</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>, %n critical</source>
        <translation>
            <numerusform>, %n kritisch</numerusform>
            <numerusform>, %n kritisch</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>ChartSpeech</name>
    <message>
        <source>not available</source>
        <translation>nicht verfügbar</translation>
    </message>
    <message>
        <source>per second</source>
        <translation>pro Sekunde</translation>
    </message>
    <message>
        <source>, critical</source>
        <translation>, kritisch</translation>
    </message>
    <message>
        <source>, average </source>
        <translation>, Durchschnitt </translation>
    </message>
    <message>
        <source>, maximum </source>
        <translation>, Maximum </translation>
    </message>
    <message>
        <source>, critical value </source>
        <translation>, kritischer Wert </translation>
    </message>
</context>
<context>
    <name>DialogSupport</name>
    <message>
        <source>Please enter an integer.</source>
        <translation>Bitte geben Sie eine ganze Zahl ein.</translation>
    </message>
    <message>
        <source>Please enter an integer between %1 and %2.</source>
        <translation>Bitte geben Sie eine ganze Zahl zwischen %1 und %2 ein.</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>Corvane</source>
        <translation>Corvane</translation>
    </message>
</context>
<context>
    <name>corvane::desktop::AlertNotifier</name>
    <message>
        <source>Corvane: %1 is critical</source>
        <translation>Corvane: %1 ist kritisch</translation>
    </message>
    <message>
        <source>Corvane: %1 counters are critical</source>
        <translation>Corvane: %1 Zähler sind kritisch</translation>
    </message>
    <message>
        <source>%1 on %2: %3 (critical value %4)</source>
        <translation>%1 auf %2: %3 (kritischer Wert %4)</translation>
    </message>
</context>
<context>
    <name>corvane::desktop::CAboutDlg</name>
    <message>
        <source>Corvane manual</source>
        <translation>Corvane-Handbuch</translation>
    </message>
    <message>
        <source>About Corvane</source>
        <translation>Über Corvane</translation>
    </message>
    <message>
        <source>Corvane icon</source>
        <translation>Corvane-Symbol</translation>
    </message>
    <message>
        <source>Corvane Version %1</source>
        <translation>Corvane Version %1</translation>
    </message>
    <message>
        <source>Live performance monitor by Quillfen</source>
        <translation>Live-Leistungsmonitor von Quillfen</translation>
    </message>
    <message>
        <source>For latest updates and more information visit</source>
        <translation>Neuigkeiten und weitere Informationen unter</translation>
    </message>
    <message>
        <source>Opens the manual in your web browser</source>
        <translation>Öffnet das Handbuch in Ihrem Webbrowser</translation>
    </message>
</context>
<context>
    <name>corvane::desktop::CComputerDlg</name>
    <message>
        <source>Monitor Remote Host - Corvane</source>
        <translation>Entfernten Rechner überwachen - Corvane</translation>
    </message>
    <message>
        <source> Connect to </source>
        <translation> Verbinden mit </translation>
    </message>
    <message>
        <source>Computer: </source>
        <translation>Computer: </translation>
    </message>
    <message>
        <source>Computer</source>
        <translation>Computer</translation>
    </message>
    <message>
        <source>Specify the name or IP address of computer on the network. It will update all counters of this profile to point to that machine. For switching to the local box leave the field blank.</source>
        <translation>Geben Sie den Namen oder die IP-Adresse eines Computers im Netzwerk an. Alle Zähler dieses Profils zeigen dann auf diesen Rechner. Für den lokalen Rechner lassen Sie das Feld leer.</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Hilfe</translation>
    </message>
    <message>
        <source>Asking the Prometheus server at %1 for its instances...</source>
        <translation>Der Prometheus-Server unter %1 wird nach seinen Instanzen gefragt...</translation>
    </message>
    <message>
        <source>The Prometheus server at %1 lists no instances: type the instance as the server names it.</source>
        <translation>Der Prometheus-Server unter %1 nennt keine Instanzen: Geben Sie die Instanz so ein, wie der Server sie nennt.</translation>
    </message>
</context>
<context>
    <name>corvane::desktop::CCorvaneDoc</name>
    <message>
        <source>Loading...</source>
        <translation>Wird geladen...</translation>
    </message>
</context>
<context>
    <name>corvane::desktop::CCorvaneView</name>
    <message>
        <source>Wind rose</source>
        <translation>Windrose</translation>
    </message>
</context>
<context>
    <name>corvane::desktop::CCounterBrowser</name>
    <message>
        <source>Select Counters</source>
        <translation>Zähler auswählen</translation>
    </message>
    <message>
        <source>&amp;Computer:</source>
        <translation>&amp;Computer:</translation>
    </message>
    <message>
        <source>Computer</source>
        <translation>Computer</translation>
    </message>
    <message>
        <source>this computer (or host, host:port, https://host:port)</source>
        <translation>dieser Computer (oder Host, Host:Port, https://Host:Port)</translation>
    </message>
    <message>
        <source>C&amp;onnect</source>
        <translation>&amp;Verbinden</translation>
    </message>
    <message>
        <source>&amp;Filter:</source>
        <translation>&amp;Filter:</translation>
    </message>
    <message>
        <source>Filter</source>
        <translation>Filter</translation>
    </message>
    <message>
        <source>type to narrow objects and counters</source>
        <translation>tippen, um Objekte und Zähler einzugrenzen</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Performance object</source>
        <translation>Leistungsobjekt</translation>
    </message>
    <message>
        <source>Counters</source>
        <translation>Zähler</translation>
    </message>
    <message>
        <source>Instances</source>
        <translation>Instanzen</translation>
    </message>
    <message>
        <source>A&amp;ll instances</source>
        <translation>A&amp;lle Instanzen</translation>
    </message>
    <message>
        <source>&amp;Select instances from list</source>
        <translation>Instanzen aus der Liste &amp;wählen</translation>
    </message>
    <message>
        <source>Performance &amp;object:</source>
        <translation>Leistungs&amp;objekt:</translation>
    </message>
    <message>
        <source>Coun&amp;ters:</source>
        <translation>&amp;Zähler:</translation>
    </message>
    <message>
        <source>&amp;Instances:</source>
        <translation>&amp;Instanzen:</translation>
    </message>
    <message>
        <source>&amp;Add</source>
        <translation>&amp;Hinzufügen</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>this computer</source>
        <translation>dieser Computer</translation>
    </message>
    <message>
        <source>Reading the counters of %1...</source>
        <translation>Die Zähler von %1 werden gelesen...</translation>
    </message>
    <message>
        <source>Reading the counters of %1 was cancelled.</source>
        <translation>Das Lesen der Zähler von %1 wurde abgebrochen.</translation>
    </message>
    <message>
        <source>Cannot read the counters of %1: %2</source>
        <translation>Die Zähler von %1 können nicht gelesen werden: %2</translation>
    </message>
    <message>
        <source>The computer offers no counters.</source>
        <translation>Der Computer bietet keine Zähler an.</translation>
    </message>
    <message>
        <source>No description is known for this counter.</source>
        <translation>Für diesen Zähler ist keine Beschreibung bekannt.</translation>
    </message>
    <message>
        <source>Added %1.</source>
        <translation>%1 hinzugefügt.</translation>
    </message>
    <message>
        <source>Added %1 counters.</source>
        <translation>%1 Zähler hinzugefügt.</translation>
    </message>
    <message>
        <source>Added %1 of %2 counters: the list is full.</source>
        <translation>%1 von %2 Zählern hinzugefügt: Die Liste ist voll.</translation>
    </message>
</context>
<context>
    <name>corvane::desktop::CCountersDlg</name>
    <message>
        <source>Performance Counters - Corvane</source>
        <translation>Leistungszähler - Corvane</translation>
    </message>
    <message>
        <source> List of monitoring counters </source>
        <translation> Liste der überwachten Zähler </translation>
    </message>
    <message>
        <source>List of monitoring counters</source>
        <translation>Liste der überwachten Zähler</translation>
    </message>
    <message>
        <source> Add...</source>
        <translation> Hinzufügen...</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Löschen</translation>
    </message>
    <message>
        <source>Clear All</source>
        <translation>Alle entfernen</translation>
    </message>
    <message>
        <source> Up </source>
        <translation> Auf </translation>
    </message>
    <message>
        <source> Down </source>
        <translation> Ab </translation>
    </message>
    <message>
        <source>Include costly objects when browsing performance counters on adding</source>
        <translation>Aufwendige Objekte beim Durchsuchen der Leistungszähler einbeziehen</translation>
    </message>
    <message>
        <source> Selected counter </source>
        <translation> Gewählter Zähler </translation>
    </message>
    <message>
        <source>Axis label</source>
        <translation>Achsenbeschriftung</translation>
    </message>
    <message>
        <source>Min value</source>
        <translation>Minimalwert</translation>
    </message>
    <message>
        <source>Max value</source>
        <translation>Maximalwert</translation>
    </message>
    <message>
        <source>Critical value</source>
        <translation>Kritischer Wert</translation>
    </message>
    <message>
        <source>Scale</source>
        <translation>Skalierung</translation>
    </message>
    <message>
        <source>Inverse</source>
        <translation>Umgekehrt</translation>
    </message>
    <message>
        <source>Axis label: </source>
        <translation>Achsenbeschriftung: </translation>
    </message>
    <message>
        <source>Min value: </source>
        <translation>Minimalwert: </translation>
    </message>
    <message>
        <source>Max value: </source>
        <translation>Maximalwert: </translation>
    </message>
    <message>
        <source>Critical value: </source>
        <translation>Kritischer Wert: </translation>
    </message>
    <message>
        <source>Scale: </source>
        <translation>Skalierung: </translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Computer...</source>
        <translation>Computer...</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>Übernehmen</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Hilfe</translation>
    </message>
    <message>
        <source>Please enter a number.</source>
        <translation>Bitte geben Sie eine Zahl ein.</translation>
    </message>
    <message>
        <source>All range values must be positive numbers.</source>
        <translation>Alle Bereichswerte müssen positive Zahlen sein.</translation>
    </message>
    <message>
        <source>Maximal value should be more than minimal value.</source>
        <translation>Der Maximalwert muss größer als der Minimalwert sein.</translation>
    </message>
    <message>
        <source>Critical value should be in between of minimal and maximal values.</source>
        <translation>Der kritische Wert muss zwischen dem Minimal- und dem Maximalwert liegen.</translation>
    </message>
    <message>
        <source>Exceeded maximal number of counters.</source>
        <translation>Die höchste Anzahl an Zählern ist überschritten.</translation>
    </message>
</context>
<context>
    <name>corvane::desktop::CLogSettings</name>
    <message>
        <source>Nothing</source>
        <translation>Nichts</translation>
    </message>
    <message>
        <source>Everything</source>
        <translation>Alles</translation>
    </message>
    <message>
        <source>Value Changes</source>
        <translation>Wertänderungen</translation>
    </message>
    <message>
        <source>State Changes</source>
        <translation>Zustandsänderungen</translation>
    </message>
    <message>
        <source>HTML</source>
        <translation>HTML</translation>
    </message>
    <message>
        <source>CSV</source>
        <translation>CSV</translation>
    </message>
    <message>
        <source>Log Settings - Corvane</source>
        <translation>Protokolleinstellungen - Corvane</translation>
    </message>
    <message>
        <source> Report about </source>
        <translation> Protokollieren </translation>
    </message>
    <message>
        <source> Log format </source>
        <translation> Protokollformat </translation>
    </message>
    <message>
        <source>File size limit:</source>
        <translation>Höchste Dateigröße:</translation>
    </message>
    <message>
        <source>KBytes</source>
        <translation>KByte</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Hilfe</translation>
    </message>
</context>
<context>
    <name>corvane::desktop::CMainFrame</name>
    <message>
        <source>Ready</source>
        <translation>Bereit</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
    <message>
        <source>&amp;Options</source>
        <translation>&amp;Optionen</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <source>Display &amp;Labels</source>
        <translation>&amp;Beschriftungen anzeigen</translation>
    </message>
    <message>
        <source>C&amp;urrent Line</source>
        <translation>&amp;Aktuelle Linie</translation>
    </message>
    <message>
        <source>&amp;Average Line</source>
        <translation>&amp;Durchschnittslinie</translation>
    </message>
    <message>
        <source>&amp;Maximal Line</source>
        <translation>&amp;Maximallinie</translation>
    </message>
    <message>
        <source>&amp;Diagram</source>
        <translation>D&amp;iagramm</translation>
    </message>
    <message>
        <source>Recent File</source>
        <translation>Zuletzt geöffnete Datei</translation>
    </message>
    <message>
        <source>&amp;New...</source>
        <translation>&amp;Neu...</translation>
    </message>
    <message>
        <source>Create a new document</source>
        <translation>Ein neues Dokument erstellen</translation>
    </message>
    <message>
        <source>&amp;Open...</source>
        <translation>Ö&amp;ffnen...</translation>
    </message>
    <message>
        <source>Open an existing document</source>
        <translation>Ein vorhandenes Dokument öffnen</translation>
    </message>
    <message>
        <source>Open Lo&amp;g...</source>
        <translation>&amp;Protokoll öffnen...</translation>
    </message>
    <message>
        <source>Play an activity log back on the chart</source>
        <translation>Ein Aktivitätsprotokoll auf dem Diagramm abspielen</translation>
    </message>
    <message>
        <source>&amp;Save</source>
        <translation>&amp;Speichern</translation>
    </message>
    <message>
        <source>Save the active document</source>
        <translation>Das aktive Dokument speichern</translation>
    </message>
    <message>
        <source>Save &amp;As...</source>
        <translation>Speichern &amp;unter...</translation>
    </message>
    <message>
        <source>Save the active document with a new name</source>
        <translation>Das aktive Dokument unter einem neuen Namen speichern</translation>
    </message>
    <message>
        <source>&amp;View Log...</source>
        <translation>Protokoll an&amp;zeigen...</translation>
    </message>
    <message>
        <source>Display logging data</source>
        <translation>Protokolldaten anzeigen</translation>
    </message>
    <message>
        <source>&amp;Clean Log</source>
        <translation>Protokoll &amp;leeren</translation>
    </message>
    <message>
        <source>Reset logging data</source>
        <translation>Protokolldaten zurücksetzen</translation>
    </message>
    <message>
        <source>&amp;Log Settings...</source>
        <translation>Protokoll&amp;einstellungen...</translation>
    </message>
    <message>
        <source>Set logging options</source>
        <translation>Protokolloptionen festlegen</translation>
    </message>
    <message>
        <source>Reset &amp;Max</source>
        <translation>&amp;Maxima zurücksetzen</translation>
    </message>
    <message>
        <source>Set to zero all max values</source>
        <translation>Alle Maximalwerte auf null setzen</translation>
    </message>
    <message>
        <source>&amp;Restart</source>
        <translation>Neu s&amp;tarten</translation>
    </message>
    <message>
        <source>Bounce counters</source>
        <translation>Zähler neu starten</translation>
    </message>
    <message>
        <source>Open this document</source>
        <translation>Dieses Dokument öffnen</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>&amp;Beenden</translation>
    </message>
    <message>
        <source>Quit the application</source>
        <translation>Das Programm beenden</translation>
    </message>
    <message>
        <source>Window &amp;Caption</source>
        <translation>&amp;Fenstertitel</translation>
    </message>
    <message>
        <source>Display window title</source>
        <translation>Den Fenstertitel anzeigen</translation>
    </message>
    <message>
        <source>Enable In &amp;Tray</source>
        <translation>Im &amp;Infobereich anzeigen</translation>
    </message>
    <message>
        <source>Creates an icon in the system tray</source>
        <translation>Legt ein Symbol im Infobereich an</translation>
    </message>
    <message>
        <source>Always On &amp;Top</source>
        <translation>Immer im &amp;Vordergrund</translation>
    </message>
    <message>
        <source>Make this window on top of the others</source>
        <translation>Dieses Fenster über allen anderen halten</translation>
    </message>
    <message>
        <source>&amp;Status Bar</source>
        <translation>&amp;Statusleiste</translation>
    </message>
    <message>
        <source>Show or hide the status bar</source>
        <translation>Die Statusleiste ein- oder ausblenden</translation>
    </message>
    <message>
        <source>&amp;Notify On Critical</source>
        <translation>Bei kritischen Werten &amp;benachrichtigen</translation>
    </message>
    <message>
        <source>Show a desktop notification when a counter stays critical</source>
        <translation>Eine Desktop-Benachrichtigung zeigen, wenn ein Zähler kritisch bleibt</translation>
    </message>
    <message>
        <source>&amp;Names</source>
        <translation>&amp;Namen</translation>
    </message>
    <message>
        <source>Display axes names on the diagram</source>
        <translation>Die Achsennamen im Diagramm anzeigen</translation>
    </message>
    <message>
        <source>&amp;Values</source>
        <translation>&amp;Werte</translation>
    </message>
    <message>
        <source>Display current values on the diagram</source>
        <translation>Die aktuellen Werte im Diagramm anzeigen</translation>
    </message>
    <message>
        <source>N&amp;umbers</source>
        <translation>N&amp;ummern</translation>
    </message>
    <message>
        <source>Assign numbers to each axis</source>
        <translation>Jeder Achse eine Nummer geben</translation>
    </message>
    <message>
        <source>&amp;Show</source>
        <translation>&amp;Anzeigen</translation>
    </message>
    <message>
        <source>Draw current values on the graph</source>
        <translation>Die aktuellen Werte im Diagramm zeichnen</translation>
    </message>
    <message>
        <source>&amp;Bold</source>
        <translation>&amp;Fett</translation>
    </message>
    <message>
        <source>Draw current values in bold</source>
        <translation>Die aktuellen Werte fett zeichnen</translation>
    </message>
    <message>
        <source>&amp;Color...</source>
        <translation>Fa&amp;rbe...</translation>
    </message>
    <message>
        <source>Select color for current values</source>
        <translation>Die Farbe der aktuellen Werte wählen</translation>
    </message>
    <message>
        <source>Draw average values on the graph</source>
        <translation>Die Durchschnittswerte im Diagramm zeichnen</translation>
    </message>
    <message>
        <source>Draw average values in bold</source>
        <translation>Die Durchschnittswerte fett zeichnen</translation>
    </message>
    <message>
        <source>Select color for average values</source>
        <translation>Die Farbe der Durchschnittswerte wählen</translation>
    </message>
    <message>
        <source>Draw max values on the graph</source>
        <translation>Die Maximalwerte im Diagramm zeichnen</translation>
    </message>
    <message>
        <source>Draw max values in bold</source>
        <translation>Die Maximalwerte fett zeichnen</translation>
    </message>
    <message>
        <source>Select color for max values</source>
        <translation>Die Farbe der Maximalwerte wählen</translation>
    </message>
    <message>
        <source>&amp;Background...</source>
        <translation>&amp;Hintergrund...</translation>
    </message>
    <message>
        <source>Change background color</source>
        <translation>Die Hintergrundfarbe ändern</translation>
    </message>
    <message>
        <source>&amp;Text Color...</source>
        <translation>&amp;Textfarbe...</translation>
    </message>
    <message>
        <source>Change text color</source>
        <translation>Die Textfarbe ändern</translation>
    </message>
    <message>
        <source>&amp;Lines Color...</source>
        <translation>&amp;Linienfarbe...</translation>
    </message>
    <message>
        <source>Change color of axis lines</source>
        <translation>Die Farbe der Achsenlinien ändern</translation>
    </message>
    <message>
        <source>&amp;Critical Color...</source>
        <translation>&amp;Kritische Farbe...</translation>
    </message>
    <message>
        <source>Change color of critical border line</source>
        <translation>Die Farbe der kritischen Grenzlinie ändern</translation>
    </message>
    <message>
        <source>Bold C&amp;ritical Line</source>
        <translation>Kritische Linie f&amp;ett</translation>
    </message>
    <message>
        <source>Make critical border line bold</source>
        <translation>Die kritische Grenzlinie fett zeichnen</translation>
    </message>
    <message>
        <source>C&amp;onnect to...</source>
        <translation>&amp;Verbinden mit...</translation>
    </message>
    <message>
        <source>Connect to remote computer</source>
        <translation>Mit einem entfernten Computer verbinden</translation>
    </message>
    <message>
        <source>&amp;Counters...</source>
        <translation>&amp;Zähler...</translation>
    </message>
    <message>
        <source>Add/update/delete counters</source>
        <translation>Zähler hinzufügen, ändern oder löschen</translation>
    </message>
    <message>
        <source>&amp;Preferences...</source>
        <translation>&amp;Einstellungen...</translation>
    </message>
    <message>
        <source>Specify diagram charcteristics like grid step, etc.</source>
        <translation>Diagrammeigenschaften wie die Gitterweite festlegen</translation>
    </message>
    <message>
        <source>S&amp;ystem...</source>
        <translation>S&amp;ystem...</translation>
    </message>
    <message>
        <source>Screensaver and service options</source>
        <translation>Optionen für Bildschirmschoner und Dienst</translation>
    </message>
    <message>
        <source>&amp;Contents</source>
        <translation>&amp;Inhalt</translation>
    </message>
    <message>
        <source>Show help topics</source>
        <translation>Die Hilfethemen anzeigen</translation>
    </message>
    <message>
        <source>&amp;Website...</source>
        <translation>&amp;Webseite...</translation>
    </message>
    <message>
        <source>Go to product&apos;s website</source>
        <translation>Zur Webseite des Produkts gehen</translation>
    </message>
    <message>
        <source>C&amp;ontact Us...</source>
        <translation>&amp;Kontakt...</translation>
    </message>
    <message>
        <source>Send questions, comments, or bug reports</source>
        <translation>Fragen, Anmerkungen oder Fehlerberichte senden</translation>
    </message>
    <message>
        <source>&amp;About...</source>
        <translation>Ü&amp;ber...</translation>
    </message>
    <message>
        <source>Display program information, version number and copyright</source>
        <translation>Programminformationen, Versionsnummer und Copyright anzeigen</translation>
    </message>
    <message>
        <source>M&amp;inimize</source>
        <translation>M&amp;inimieren</translation>
    </message>
    <message>
        <source>Minimize the window</source>
        <translation>Das Fenster minimieren</translation>
    </message>
    <message>
        <source>&amp;Restore</source>
        <translation>&amp;Wiederherstellen</translation>
    </message>
    <message>
        <source>Restore the window</source>
        <translation>Das Fenster wiederherstellen</translation>
    </message>
    <message>
        <source>&amp;Minimize</source>
        <translation>&amp;Minimieren</translation>
    </message>
</context>
<context>
    <name>corvane::desktop::COptionsDlg</name>
    <message>
        <source>none</source>
        <translation>keine</translation>
    </message>
    <message>
        <source>Preferences - Corvane</source>
        <translation>Einstellungen - Corvane</translation>
    </message>
    <message>
        <source> Monitoring settings </source>
        <translation> Überwachung </translation>
    </message>
    <message>
        <source>Update interval: </source>
        <translation>Aktualisierungsintervall: </translation>
    </message>
    <message>
        <source>Timeout in seconds the program will wait between updates of counter values.</source>
        <translation>Die Zeit in Sekunden, die das Programm zwischen zwei Aktualisierungen der Zählerwerte wartet.</translation>
    </message>
    <message>
        <source>History items: </source>
        <translation>Verlaufseinträge: </translation>
    </message>
    <message>
        <source>The number of last collected values for evaluating the average counter value.</source>
        <translation>Die Anzahl der zuletzt erfassten Werte, aus denen der Durchschnitt eines Zählers berechnet wird.</translation>
    </message>
    <message>
        <source> Graph characteristics </source>
        <translation> Diagrammeigenschaften </translation>
    </message>
    <message>
        <source>Critical range: </source>
        <translation>Kritischer Bereich: </translation>
    </message>
    <message>
        <source>The border on the graph in percentage to separate normal and critical values.</source>
        <translation>Die Grenze im Diagramm in Prozent, die normale von kritischen Werten trennt.</translation>
    </message>
    <message>
        <source>Grid step: </source>
        <translation>Gitterweite: </translation>
    </message>
    <message>
        <source>The step in percents for centric circles creating a grid in the field of values.</source>
        <translation>Der Abstand in Prozent der konzentrischen Kreise, die das Gitter im Wertefeld bilden.</translation>
    </message>
    <message>
        <source>Truncation of text in labels </source>
        <translation>Kürzung der Beschriftungen </translation>
    </message>
    <message>
        <source>no truncation</source>
        <translation>nicht kürzen</translation>
    </message>
    <message>
        <source>truncate in the end</source>
        <translation>am Ende kürzen</translation>
    </message>
    <message>
        <source>truncate in front</source>
        <translation>am Anfang kürzen</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>Übernehmen</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Hilfe</translation>
    </message>
</context>
<context>
    <name>corvane::desktop::CServiceConfigDlg</name>
    <message>
        <source>System Configuration Options</source>
        <translation>Systemeinstellungen</translation>
    </message>
    <message>
        <source>Screen saver options</source>
        <translation>Bildschirmschoner</translation>
    </message>
    <message>
        <source>Use as a screen saver for current user</source>
        <translation>Als Bildschirmschoner für den aktuellen Benutzer verwenden</translation>
    </message>
    <message>
        <source>Use as a screen saver at logon</source>
        <translation>Als Bildschirmschoner bei der Anmeldung verwenden</translation>
    </message>
    <message>
        <source>Load profile on service start-up</source>
        <translation>Profil beim Start des Dienstes laden</translation>
    </message>
    <message>
        <source>Browse...</source>
        <translation>Durchsuchen...</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
<context>
    <name>corvane::desktop::CWizardAddDlg</name>
    <message>
        <source>CPU utilization</source>
        <translation>Prozessorauslastung</translation>
    </message>
    <message>
        <source>Total number of processes</source>
        <translation>Gesamtzahl der Prozesse</translation>
    </message>
    <message>
        <source>Total number of threads</source>
        <translation>Gesamtzahl der Threads</translation>
    </message>
    <message>
        <source>Physical memory usage</source>
        <translation>Belegung des physischen Speichers</translation>
    </message>
    <message>
        <source>Virtual memory usage</source>
        <translation>Belegung des virtuellen Speichers</translation>
    </message>
    <message>
        <source>Registry space usage</source>
        <translation>Belegung der Registrierung</translation>
    </message>
    <message>
        <source>Total disk space usage</source>
        <translation>Belegung aller Datenträger</translation>
    </message>
    <message>
        <source>Each disk space usage</source>
        <translation>Belegung jedes Datenträgers</translation>
    </message>
    <message>
        <source>Total hard drive accessing time</source>
        <translation>Zugriffszeit aller Festplatten</translation>
    </message>
    <message>
        <source>Each hard drive accessing time</source>
        <translation>Zugriffszeit jeder Festplatte</translation>
    </message>
    <message>
        <source>Network utilization</source>
        <translation>Netzwerkauslastung</translation>
    </message>
    <message>
        <source>Total number of server sessions</source>
        <translation>Gesamtzahl der Serversitzungen</translation>
    </message>
    <message>
        <source>Current values (yellow)</source>
        <translation>Aktuelle Werte (gelb)</translation>
    </message>
    <message>
        <source>Average values (green)</source>
        <translation>Durchschnittswerte (grün)</translation>
    </message>
    <message>
        <source>Maximal values (cyan)</source>
        <translation>Maximalwerte (cyan)</translation>
    </message>
    <message>
        <source>Bold current line</source>
        <translation>Aktuelle Linie fett</translation>
    </message>
    <message>
        <source>Bold average line</source>
        <translation>Durchschnittslinie fett</translation>
    </message>
    <message>
        <source>Bold maximal line</source>
        <translation>Maximallinie fett</translation>
    </message>
    <message>
        <source>Axis names</source>
        <translation>Achsennamen</translation>
    </message>
    <message>
        <source>Measured values</source>
        <translation>Messwerte</translation>
    </message>
    <message>
        <source>Grid circles</source>
        <translation>Gitterkreise</translation>
    </message>
    <message>
        <source>Create Monitoring Profile - Corvane Wizard</source>
        <translation>Überwachungsprofil anlegen - Corvane-Assistent</translation>
    </message>
    <message>
        <source>Select what you want to monitor. For more options press Counters button.</source>
        <translation>Wählen Sie, was Sie überwachen möchten. Weitere Möglichkeiten bietet die Schaltfläche Zähler.</translation>
    </message>
    <message>
        <source>Visual effects to begin with</source>
        <translation>Darstellung für den Anfang</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Counters...</source>
        <translation>Zähler...</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Hilfe</translation>
    </message>
</context>
<context>
    <name>corvane::desktop::DocumentUi</name>
    <message>
        <source>Cannot read file: </source>
        <translation>Datei kann nicht gelesen werden: </translation>
    </message>
    <message>
        <source>Cannot write to file: </source>
        <translation>In die Datei kann nicht geschrieben werden: </translation>
    </message>
    <message>
        <source>Save changes to %1?</source>
        <translation>Änderungen an %1 speichern?</translation>
    </message>
    <message>
        <source>Logging is turned off. Would you like to change log options?</source>
        <translation>Die Protokollierung ist ausgeschaltet. Möchten Sie die Protokolloptionen ändern?</translation>
    </message>
</context>
<context>
    <name>corvane::desktop::InstanceCompleter</name>
    <message numerus="yes">
        <source>an instance of the server: type to search %n instances</source>
        <translation>
            <numerusform>eine Instanz des Servers: tippen, um %n Instanz zu durchsuchen</numerusform>
            <numerusform>eine Instanz des Servers: tippen, um %n Instanzen zu durchsuchen</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>corvane::desktop::PlaybackSession</name>
    <message>
        <source>Recording</source>
        <translation>Aufzeichnung</translation>
    </message>
    <message>
        <source>The open profile cannot be kept in %1 while the log is shown; the live chart stays.</source>
        <translation>Das geöffnete Profil kann während der Anzeige des Protokolls nicht in %1 aufbewahrt werden; das Live-Diagramm bleibt.</translation>
    </message>
    <message>
        <source>Cannot play back the log %1: %2</source>
        <translation>Das Protokoll %1 kann nicht abgespielt werden: %2</translation>
    </message>
</context>
<context>
    <name>corvane::desktop::TrayRose</name>
    <message>
        <source>%1 - no counter in alert</source>
        <translation>%1 - kein Zähler im Alarm</translation>
    </message>
    <message>
        <source>%1 - 1 counter in alert</source>
        <translation>%1 - 1 Zähler im Alarm</translation>
    </message>
    <message>
        <source>%1 - %2 counters in alert</source>
        <translation>%1 - %2 Zähler im Alarm</translation>
    </message>
</context>
<context>
    <name>corvane::playback::PlaybackBar</name>
    <message>
        <source>Recording playback</source>
        <translation>Wiedergabe der Aufzeichnung</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>Abspielen</translation>
    </message>
    <message>
        <source>Play the recording (Space)</source>
        <translation>Die Aufzeichnung abspielen (Leertaste)</translation>
    </message>
    <message>
        <source>Recording starts</source>
        <translation>Beginn der Aufzeichnung</translation>
    </message>
    <message>
        <source>Recording ends</source>
        <translation>Ende der Aufzeichnung</translation>
    </message>
    <message>
        <source>Recorded time</source>
        <translation>Aufgezeichnete Zeit</translation>
    </message>
    <message>
        <source>Left and Right move one sample, Page Up and Page Down one minute</source>
        <translation>Links und Rechts gehen einen Messwert weiter, Bild auf und Bild ab eine Minute</translation>
    </message>
    <message>
        <source>Playback speed</source>
        <translation>Wiedergabegeschwindigkeit</translation>
    </message>
    <message>
        <source>Moment shown</source>
        <translation>Angezeigter Zeitpunkt</translation>
    </message>
    <message>
        <source>Live Chart</source>
        <translation>Live-Diagramm</translation>
    </message>
    <message>
        <source>Leave the recording and show the live chart again</source>
        <translation>Die Aufzeichnung verlassen und wieder das Live-Diagramm zeigen</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>Pause</translation>
    </message>
</context>
<context>
    <name>corvane::playback::PlaybackController</name>
    <message>
        <source>; the recording ends there</source>
        <translation>; die Aufzeichnung endet dort</translation>
    </message>
    <message>
        <source>Recorded %1</source>
        <translation>Aufgezeichnet %1</translation>
    </message>
    <message>
        <source>. Only the moments at which a counter changed its state were recorded</source>
        <translation>. Aufgezeichnet wurden nur die Zeitpunkte, an denen ein Zähler seinen Zustand änderte</translation>
    </message>
</context>
<context>
    <name>corvane::screensaver::ScreensaverOptionsDialog</name>
    <message>
        <source>Apply the same setting for the screensaver at logon</source>
        <translation>Dieselbe Einstellung für den Bildschirmschoner bei der Anmeldung übernehmen</translation>
    </message>
    <message>
        <source>Corvane %1 screen saver: the live wind rose of a monitoring profile
Released %2</source>
        <translation>Corvane %1 Bildschirmschoner: die Live-Windrose eines Überwachungsprofils
Veröffentlicht %2</translation>
    </message>
    <message>
        <source>Use Profile</source>
        <translation>Profil verwenden</translation>
    </message>
    <message>
        <source>Browse...</source>
        <translation>Durchsuchen...</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>Cannot save the screen saver&apos;s settings.

%1</source>
        <translation>Die Einstellungen des Bildschirmschoners können nicht gespeichert werden.

%1</translation>
    </message>
    <message>
        <source>The screen saver at logon was not set: %1 cannot be written.
%2

Your own settings are saved. Clear the check box to close, or ask an administrator to run these options.</source>
        <translation>Der Bildschirmschoner bei der Anmeldung wurde nicht eingestellt: %1 kann nicht geschrieben werden.
%2

Ihre eigenen Einstellungen sind gespeichert. Entfernen Sie das Häkchen, um zu schließen, oder bitten Sie einen Administrator, diese Optionen auszuführen.</translation>
    </message>
    <message>
        <source>Screensaver Options for Corvane</source>
        <translation>Bildschirmschoner-Optionen für Corvane</translation>
    </message>
    <message>
        <source>Invalid path for the profile:
</source>
        <translation>Ungültiger Pfad für das Profil:
</translation>
    </message>
    <message>
        <source>Graph gArea should be between 1 and 100 percent.</source>
        <translation>Die Diagrammfläche muss zwischen 1 und 100 Prozent liegen.</translation>
    </message>
    <message>
        <source>Time interval should be between 1 and 100 seconds.</source>
        <translation>Das Zeitintervall muss zwischen 1 und 100 Sekunden liegen.</translation>
    </message>
    <message>
        <source>This is a Wayland session: GNOME and KDE run no screen savers of this kind there. Run Corvane with its caption off and always on top instead.</source>
        <translation>Dies ist eine Wayland-Sitzung: GNOME und KDE führen dort keine Bildschirmschoner dieser Art aus. Starten Sie Corvane stattdessen ohne Fenstertitel und immer im Vordergrund.</translation>
    </message>
    <message>
        <source>Percentage of screen area used by graph (1-100):</source>
        <translation>Anteil der Bildschirmfläche für das Diagramm in Prozent (1-100):</translation>
    </message>
    <message>
        <source>Time interval in seconds for changing position (1-100):</source>
        <translation>Zeitabstand in Sekunden für den Positionswechsel (1-100):</translation>
    </message>
</context>
</TS>
