<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>BackupKeeper</name>
    <message>
        <source>The automatic backup of the diary could not be made: %1
The diary itself is as it was. This is said once.</source>
        <translation>Die automatische Sicherung des Tagebuchs konnte nicht angelegt werden: %1
Das Tagebuch selbst ist unverändert. Dieser Hinweis erscheint nur einmal.</translation>
    </message>
</context>
<context>
    <name>ComposerSpelling</name>
    <message>
        <source>No Suggestions</source>
        <translation>Keine Vorschläge</translation>
    </message>
    <message>
        <source>Add to Dictionary</source>
        <translation>Zum Wörterbuch hinzufügen</translation>
    </message>
    <message>
        <source>Ignore All</source>
        <translation>Alle ignorieren</translation>
    </message>
    <message>
        <source>Language</source>
        <translation>Sprache</translation>
    </message>
</context>
<context>
    <name>ConflictMerge</name>
    <message>
        <source>%1 cannot be merged into %2: %3. Nothing was changed.</source>
        <translation>%1 kann nicht mit %2 zusammengeführt werden: %3. Es wurde nichts geändert.</translation>
    </message>
    <message>
        <source>Merge Sync Copy</source>
        <translation>Sync-Kopie zusammenführen</translation>
    </message>
    <message>
        <source>Enter the password of %1 to merge the entries of %2 into it.</source>
        <translation>Geben Sie das Passwort von %1 ein, um die Einträge von %2 in dieses Tagebuch zu übernehmen.</translation>
    </message>
    <message>
        <source>Merge the copy into the diary</source>
        <translation>Kopie mit dem Tagebuch zusammenführen</translation>
    </message>
    <message>
        <source>Merging the sync copy ...</source>
        <translation>Die Sync-Kopie wird zusammengeführt ...</translation>
    </message>
    <message>
        <source>1 entry of %1 was added to %2.</source>
        <translation>1 Eintrag aus %1 wurde in %2 übernommen.</translation>
    </message>
    <message>
        <source>%1 entries of %2 were added to %3.</source>
        <translation>%1 Einträge aus %2 wurden in %3 übernommen.</translation>
    </message>
    <message>
        <source>Move the copy %1 to the trash?</source>
        <translation>Die Kopie %1 in den Papierkorb verschieben?</translation>
    </message>
    <message>
        <source>This desktop has no trash for %1: the copy was deleted.</source>
        <translation>Dieser Desktop hat keinen Papierkorb für %1: Die Kopie wurde gelöscht.</translation>
    </message>
    <message>
        <source>This is a copy of %1 made by a sync program. Merge its entries into %1?</source>
        <translation>Dies ist eine Kopie von %1, die ein Synchronisationsprogramm angelegt hat. Ihre Einträge in %1 übernehmen?</translation>
    </message>
</context>
<context>
    <name>DialogParts</name>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
<context>
    <name>DiaryChooser</name>
    <message>
        <source>Diaries:</source>
        <translation>Tagebücher:</translation>
    </message>
    <message>
        <source> Number     Owner                          Title</source>
        <translation> Nummer     Besitzer                       Titel</translation>
    </message>
    <message>
        <source>Diaries</source>
        <translation>Tagebücher</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>%1 [conflict copy of %2]</source>
        <translation>%1 [Konfliktkopie von %2]</translation>
    </message>
    <message>
        <source>This diary file cannot be read and is not listed: %1</source>
        <translation>Diese Tagebuchdatei kann nicht gelesen werden und wird nicht aufgeführt: %1</translation>
    </message>
    <message>
        <source>These diary files cannot be read and are not listed: %1</source>
        <translation>Diese Tagebuchdateien können nicht gelesen werden und werden nicht aufgeführt: %1</translation>
    </message>
</context>
<context>
    <name>DraftKeeper</name>
    <message>
        <source>(only ratings)</source>
        <translation>(nur Bewertungen)</translation>
    </message>
    <message>
        <source>the diary cannot be read</source>
        <translation>das Tagebuch kann nicht gelesen werden</translation>
    </message>
    <message>
        <source>the diary is open for reading only</source>
        <translation>das Tagebuch ist nur zum Lesen geöffnet</translation>
    </message>
    <message>
        <source>The unsaved entry cannot be kept as a draft: %1.
Save it, or copy its text elsewhere, before you quit.</source>
        <translation>Der ungespeicherte Eintrag kann nicht als Entwurf aufbewahrt werden: %1.
Speichern Sie ihn oder kopieren Sie seinen Text an einen anderen Ort, bevor Sie das Programm beenden.</translation>
    </message>
    <message>
        <source>the password of %1 was changed elsewhere, and what you were writing for it waits in this window for the next log-in to it</source>
        <translation>das Passwort von %1 wurde an anderer Stelle geändert, und was Sie dafür geschrieben haben, wartet in diesem Fenster auf die nächste Anmeldung daran</translation>
    </message>
    <message>
        <source>no diary is open to keep it</source>
        <translation>kein Tagebuch ist geöffnet, das ihn aufbewahren könnte</translation>
    </message>
    <message>
        <source>An entry of %1 was not saved:
%2

Do you want to restore it?</source>
        <translation>Ein Eintrag (%1) wurde nicht gespeichert:
%2

Möchten Sie ihn wiederherstellen?</translation>
    </message>
    <message>
        <source>an unknown date</source>
        <translation>Datum unbekannt</translation>
    </message>
    <message>
        <source>It could not be set aside.</source>
        <translation>Er konnte nicht beiseitegelegt werden.</translation>
    </message>
    <message>
        <source>It was set aside as %1.</source>
        <translation>Er wurde als %1 beiseitegelegt.</translation>
    </message>
    <message>
        <source>The unsaved entry kept for this diary cannot be restored: %1.
%2</source>
        <translation>Der für dieses Tagebuch aufbewahrte ungespeicherte Eintrag kann nicht wiederhergestellt werden: %1.
%2</translation>
    </message>
</context>
<context>
    <name>EntryCountMemory</name>
    <message>
        <source>This diary held %1 entries when it was last open on this computer, but now holds only %2.
Entries may have been cut off its end, or an older copy of the diary (from a backup or a sync program) may have replaced it. Keep any other copy of it until you have looked.</source>
        <translation>Dieses Tagebuch enthielt %1 Einträge, als es zuletzt auf diesem Computer geöffnet war, jetzt aber nur noch %2.
Möglicherweise wurden Einträge an seinem Ende abgeschnitten, oder eine ältere Kopie des Tagebuchs (aus einer Sicherung oder einem Synchronisationsprogramm) hat es ersetzt. Bewahren Sie jede andere Kopie davon auf, bis Sie nachgesehen haben.</translation>
    </message>
</context>
<context>
    <name>EntryDisplay</name>
    <message>
        <source>(damaged)</source>
        <translation>(beschädigt)</translation>
    </message>
    <message>
        <source>This entry cannot be read: its record is damaged.</source>
        <translation>Dieser Eintrag kann nicht gelesen werden: sein Datensatz ist beschädigt.</translation>
    </message>
    <message>
        <source>%1 (%2 damaged)</source>
        <translation>%1 (%2 beschädigt)</translation>
    </message>
</context>
<context>
    <name>EntrySearchView</name>
    <message>
        <source>words, &quot;a phrase&quot;, #tag, -word</source>
        <translation>Wörter, &quot;eine Wendung&quot;, #tag, -wort</translation>
    </message>
    <message>
        <source>&amp;Search:</source>
        <translation>&amp;Suchen:</translation>
    </message>
    <message>
        <source>open</source>
        <translation>offen</translation>
    </message>
    <message>
        <source>Delete: no date</source>
        <translation>Entf: kein Datum</translation>
    </message>
    <message>
        <source>&amp;From:</source>
        <translation>&amp;Von:</translation>
    </message>
    <message>
        <source>&amp;To:</source>
        <translation>&amp;Bis:</translation>
    </message>
    <message>
        <source>in topics</source>
        <translation>in Themen</translation>
    </message>
    <message>
        <source>in texts</source>
        <translation>in Texten</translation>
    </message>
    <message>
        <source>both</source>
        <translation>beides</translation>
    </message>
    <message>
        <source>&amp;Look:</source>
        <translation>Suchen &amp;in:</translation>
    </message>
    <message>
        <source>All days</source>
        <translation>Alle Tage</translation>
    </message>
    <message>
        <source>Wellness:</source>
        <translation>Befinden:</translation>
    </message>
    <message>
        <source>healthy</source>
        <translation>gesund</translation>
    </message>
    <message>
        <source>balanced</source>
        <translation>mittel</translation>
    </message>
    <message>
        <source>ill</source>
        <translation>krank</translation>
    </message>
    <message>
        <source>none</source>
        <translation>keine</translation>
    </message>
    <message>
        <source>Love:</source>
        <translation>Liebe:</translation>
    </message>
    <message>
        <source>in love</source>
        <translation>verliebt</translation>
    </message>
    <message>
        <source>lucky</source>
        <translation>glücklich</translation>
    </message>
    <message>
        <source>love sick</source>
        <translation>Kummer</translation>
    </message>
    <message>
        <source>The diary could not be read: %1</source>
        <translation>Das Tagebuch konnte nicht gelesen werden: %1</translation>
    </message>
    <message>
        <source>1 damaged entry left out</source>
        <translation>1 beschädigter Eintrag ausgelassen</translation>
    </message>
    <message>
        <source>%1 damaged entries left out</source>
        <translation>%1 beschädigte Einträge ausgelassen</translation>
    </message>
    <message>
        <source>1 entry</source>
        <translation>1 Eintrag</translation>
    </message>
    <message>
        <source>%1 entries</source>
        <translation>%1 Einträge</translation>
    </message>
    <message>
        <source>Only: %1</source>
        <translation>Nur: %1</translation>
    </message>
</context>
<context>
    <name>ExportTexts</name>
    <message>
        <source>cannot write a temporary file: %1</source>
        <translation>eine temporäre Datei kann nicht geschrieben werden: %1</translation>
    </message>
    <message>
        <source>wrong password for %1</source>
        <translation>falsches Passwort für %1</translation>
    </message>
    <message>
        <source>the JSON export of an encrypted diary needs its password</source>
        <translation>der JSON-Export eines verschlüsselten Tagebuchs braucht dessen Passwort</translation>
    </message>
    <message>
        <source>warning: %1 ends with %2 bytes of a cut-off entry, which are not exported (see quorvel-tool check)</source>
        <translation>Warnung: %1 endet mit %2 Bytes eines abgeschnittenen Eintrags, die nicht exportiert werden (siehe quorvel-tool check)</translation>
    </message>
    <message>
        <source>warning: 1 entry of %1 is damaged (the record does not verify) and not exported: %2</source>
        <translation>Warnung: 1 Eintrag von %1 ist beschädigt (der Datensatz besteht die Prüfung nicht) und wird nicht exportiert: %2</translation>
    </message>
    <message>
        <source>warning: %1 entries of %2 are damaged (the record does not verify) and not exported: %3</source>
        <translation>Warnung: %1 Einträge von %2 sind beschädigt (die Datensätze bestehen die Prüfung nicht) und werden nicht exportiert: %3</translation>
    </message>
    <message>
        <source>warning: 1 entry (the first is entry %1) left out of the range of days: their date/time names no day that can be read</source>
        <translation>Warnung: 1 Eintrag (Eintrag %1) bleibt außerhalb des Zeitraums: sein Datum nennt keinen lesbaren Tag</translation>
    </message>
    <message>
        <source>warning: %1 entries (the first is entry %2) left out of the range of days: their date/time names no day that can be read</source>
        <translation>Warnung: %1 Einträge (der erste ist Eintrag %2) bleiben außerhalb des Zeitraums: ihr Datum nennt keinen lesbaren Tag</translation>
    </message>
</context>
<context>
    <name>IdleLock</name>
    <message>
        <source>The diary was closed when the screen was locked.</source>
        <translation>Das Tagebuch wurde geschlossen, als der Bildschirm gesperrt wurde.</translation>
    </message>
    <message>
        <source>The diary was closed when the computer went to sleep.</source>
        <translation>Das Tagebuch wurde geschlossen, als der Computer in den Ruhezustand ging.</translation>
    </message>
    <message>
        <source>The diary closes in 1 second without use; a key or a mouse move keeps it open.</source>
        <translation>Das Tagebuch schließt sich in 1 Sekunde ohne Benutzung; eine Taste oder eine Mausbewegung hält es offen.</translation>
    </message>
    <message>
        <source>The diary closes in %1 seconds without use; a key or a mouse move keeps it open.</source>
        <translation>Das Tagebuch schließt sich in %1 Sekunden ohne Benutzung; eine Taste oder eine Mausbewegung hält es offen.</translation>
    </message>
    <message>
        <source>The diary was closed after 1 minute without use.</source>
        <translation>Das Tagebuch wurde nach 1 Minute ohne Benutzung geschlossen.</translation>
    </message>
    <message>
        <source>The diary was closed after %1 minutes without use.</source>
        <translation>Das Tagebuch wurde nach %1 Minuten ohne Benutzung geschlossen.</translation>
    </message>
</context>
<context>
    <name>ImportTexts</name>
    <message>
        <source>the star</source>
        <translation>der Stern</translation>
    </message>
    <message>
        <source>a diary entry has none</source>
        <translation>ein Tagebucheintrag hat keinen</translation>
    </message>
    <message>
        <source>the place</source>
        <translation>der Ort</translation>
    </message>
    <message>
        <source>a diary entry has no field for it</source>
        <translation>ein Tagebucheintrag hat kein Feld dafür</translation>
    </message>
    <message>
        <source>the weather</source>
        <translation>das Wetter</translation>
    </message>
    <message>
        <source>the attached files</source>
        <translation>die angehängten Dateien</translation>
    </message>
    <message>
        <source>a diary holds only text; a line names each</source>
        <translation>ein Tagebuch enthält nur Text; eine Zeile nennt jede</translation>
    </message>
    <message>
        <source>%1 holds no journal (.json)</source>
        <translation>%1 enthält kein Journal (.json)</translation>
    </message>
    <message>
        <source>%1 is larger than an export of the largest diary (%2 bytes)</source>
        <translation>%1 ist größer als der Export des größten Tagebuchs (%2 Bytes)</translation>
    </message>
    <message>
        <source>not a diary export of quorvel-tool (&quot;format&quot; is not &quot;quorvel-diary&quot;)</source>
        <translation>kein Tagebuch-Export von quorvel-tool (&quot;format&quot; ist nicht &quot;quorvel-diary&quot;)</translation>
    </message>
    <message>
        <source>cannot read %1: %2</source>
        <translation>%1 kann nicht gelesen werden: %2</translation>
    </message>
    <message>
        <source>it is a folder</source>
        <translation>es ist ein Ordner</translation>
    </message>
    <message>
        <source>%1 is larger (%2 bytes) than any journal this import reads (%3 bytes)</source>
        <translation>%1 ist größer (%2 Bytes) als jedes Journal, das dieser Import liest (%3 Bytes)</translation>
    </message>
    <message>
        <source>%1 is larger than any journal this import reads</source>
        <translation>%1 ist größer als jedes Journal, das dieser Import liest</translation>
    </message>
    <message>
        <source>%1 is not a JSON export: %2</source>
        <translation>%1 ist kein JSON-Export: %2</translation>
    </message>
    <message>
        <source>%1 at byte %2</source>
        <translation>%1 bei Byte %2</translation>
    </message>
    <message>
        <source>it is not a JSON object</source>
        <translation>es ist kein JSON-Objekt</translation>
    </message>
    <message>
        <source>the export makes more diary entries than a diary holds (%1 read; at most %2 diary entries)</source>
        <translation>der Export ergibt mehr Tagebucheinträge, als ein Tagebuch fasst (%1 gelesen; höchstens %2 Tagebucheinträge)</translation>
    </message>
    <message>
        <source>
marked first in: </source>
        <translation>
zuerst markiert in: </translation>
    </message>
    <message>
        <source>out of memory deriving the key</source>
        <translation>kein Speicher mehr beim Ableiten des Schlüssels</translation>
    </message>
    <message>
        <source>1 entry</source>
        <translation>1 Eintrag</translation>
    </message>
    <message>
        <source>%1 entries</source>
        <translation>%1 Einträge</translation>
    </message>
    <message>
        <source>read %1, wrote %2 as %3 (%4 split in parts), marked %5</source>
        <translation>%1 gelesen, %2 geschrieben als %3 (%4 in Teile geteilt), %5 markiert</translation>
    </message>
    <message>
        <source>1 diary entry</source>
        <translation>1 Tagebucheintrag</translation>
    </message>
    <message>
        <source>%1 diary entries</source>
        <translation>%1 Tagebucheinträge</translation>
    </message>
    <message>
        <source>1 character</source>
        <translation>1 Zeichen</translation>
    </message>
    <message>
        <source>%1 characters</source>
        <translation>%1 Zeichen</translation>
    </message>
    <message>
        <source>%1 empty (nothing to write)</source>
        <translation>%1 leer (nichts zu schreiben)</translation>
    </message>
    <message>
        <source>%1 of %2 (%3)</source>
        <translation>%1 (%2: %3)</translation>
    </message>
    <message>
        <source>; left out: </source>
        <translation>; ausgelassen: </translation>
    </message>
    <message>
        <source>nothing</source>
        <translation>nichts</translation>
    </message>
    <message>
        <source>; %1 without a known time zone taken as local time</source>
        <translation>; %1 ohne bekannte Zeitzone als Ortszeit genommen</translation>
    </message>
    <message>
        <source>%1: the name is not a month (YYYY-MM.txt)</source>
        <translation>%1: der Name ist kein Monat (YYYY-MM.txt)</translation>
    </message>
    <message>
        <source>%1 holds no RedNotebook month files (YYYY-MM.txt)</source>
        <translation>%1 enthält keine RedNotebook-Monatsdateien (YYYY-MM.txt)</translation>
    </message>
</context>
<context>
    <name>MoodChart</name>
    <message>
        <source>month</source>
        <translation>Monat</translation>
    </message>
    <message>
        <source>quarter</source>
        <translation>Quartal</translation>
    </message>
    <message>
        <source>year</source>
        <translation>Jahr</translation>
    </message>
    <message>
        <source>No dated entries</source>
        <translation>Keine datierten Einträge</translation>
    </message>
    <message>
        <source>No entries yet</source>
        <translation>Noch keine Einträge</translation>
    </message>
    <message>
        <source>undated: %1</source>
        <translation>undatiert: %1</translation>
    </message>
    <message>
        <source>Wellness by month</source>
        <translation>Befinden pro Monat</translation>
    </message>
    <message>
        <source>Love by month</source>
        <translation>Liebe pro Monat</translation>
    </message>
    <message>
        <source>%1 by %2</source>
        <translation>%1 pro %2</translation>
    </message>
    <message>
        <source>Wellness</source>
        <translation>Befinden</translation>
    </message>
    <message>
        <source>Love</source>
        <translation>Liebe</translation>
    </message>
    <message>
        <source>%1, from %2 to %3, counts of days per rating.</source>
        <translation>%1, von %2 bis %3, Anzahl der Tage je Bewertung.</translation>
    </message>
    <message>
        <source>Entries without a readable date: %1.</source>
        <translation>Einträge ohne lesbares Datum: %1.</translation>
    </message>
    <message>
        <source>days</source>
        <translation>Tage</translation>
    </message>
</context>
<context>
    <name>PasswordCheck</name>
    <message>
        <source>Checking the password ...</source>
        <translation>Das Passwort wird geprüft ...</translation>
    </message>
</context>
<context>
    <name>PasswordOnceDialog</name>
    <message>
        <source>Owner:</source>
        <translation>Besitzer:</translation>
    </message>
    <message>
        <source>Name:</source>
        <translation>Name:</translation>
    </message>
    <message>
        <source>Password:</source>
        <translation>Passwort:</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
<context>
    <name>PasswordRules</name>
    <message>
        <source>The password is empty; a diary needs one.</source>
        <translation>Das Passwort ist leer; ein Tagebuch braucht eines.</translation>
    </message>
    <message>
        <source>The password is %1 characters long; %2 holds at most %3.</source>
        <translation>Das Passwort ist %1 Zeichen lang; %2 fasst höchstens %3.</translation>
    </message>
    <message>
        <source>an encrypted diary&apos;s password</source>
        <translation>das Passwort eines verschlüsselten Tagebuchs</translation>
    </message>
    <message>
        <source>a plain diary&apos;s password</source>
        <translation>das Passwort eines unverschlüsselten Tagebuchs</translation>
    </message>
</context>
<context>
    <name>PasswordTwiceDialog</name>
    <message>
        <source>Diary Title:</source>
        <translation>Tagebuchtitel:</translation>
    </message>
    <message>
        <source>Diary Owner:</source>
        <translation>Besitzer:</translation>
    </message>
    <message>
        <source>Please confirm the password correctly!</source>
        <translation>Bitte bestätigen Sie das Passwort richtig!</translation>
    </message>
    <message>
        <source>The Password was not confirmed right!</source>
        <translation>Das Passwort wurde nicht richtig bestätigt!</translation>
    </message>
    <message>
        <source>Checking the password ...</source>
        <translation>Das Passwort wird geprüft ...</translation>
    </message>
    <message>
        <source>These characters cannot be stored in a diary: %1
Please use other characters.</source>
        <translation>Diese Zeichen können in einem Tagebuch nicht gespeichert werden: %1
Bitte verwenden Sie andere Zeichen.</translation>
    </message>
    <message>
        <source>Please enter a password!</source>
        <translation>Bitte geben Sie ein Passwort ein!</translation>
    </message>
    <message>
        <source>Making the new key ...</source>
        <translation>Der neue Schlüssel wird erzeugt ...</translation>
    </message>
    <message>
        <source> Enter Password</source>
        <translation> Passwort eingeben</translation>
    </message>
    <message>
        <source>Enter Password:</source>
        <translation>Passwort:</translation>
    </message>
    <message>
        <source>Confrim Password:</source>
        <translation>Passwort bestätigen:</translation>
    </message>
    <message>
        <source>Check the password</source>
        <translation>Passwort prüfen</translation>
    </message>
    <message>
        <source>Enter password to delete diary</source>
        <translation>Passwort zum Löschen des Tagebuchs eingeben</translation>
    </message>
    <message>
        <source> Enter Old Password</source>
        <translation> Altes Passwort eingeben</translation>
    </message>
    <message>
        <source>Old Password:</source>
        <translation>Altes Passwort:</translation>
    </message>
    <message>
        <source>Confirm Password:</source>
        <translation>Passwort bestätigen:</translation>
    </message>
    <message>
        <source>Check the old password</source>
        <translation>Altes Passwort prüfen</translation>
    </message>
    <message>
        <source>Enter Old Password</source>
        <translation>Altes Passwort eingeben</translation>
    </message>
    <message>
        <source> Enter New Password</source>
        <translation> Neues Passwort eingeben</translation>
    </message>
    <message>
        <source>New Password:</source>
        <translation>Neues Passwort:</translation>
    </message>
    <message>
        <source>Store the new password</source>
        <translation>Neues Passwort speichern</translation>
    </message>
    <message>
        <source>Enter New Password</source>
        <translation>Neues Passwort eingeben</translation>
    </message>
</context>
<context>
    <name>SearchSidePanel</name>
    <message>
        <source>1 entry</source>
        <translation>1 Eintrag</translation>
    </message>
    <message>
        <source>%1 entries</source>
        <translation>%1 Einträge</translation>
    </message>
    <message>
        <source>Tags:</source>
        <translation>Tags:</translation>
    </message>
    <message>
        <source>Nothing on this day in earlier years.</source>
        <translation>Keine Einträge an diesem Tag in früheren Jahren.</translation>
    </message>
    <message>
        <source>On this day: %1</source>
        <translation>An diesem Tag: %1</translation>
    </message>
</context>
<context>
    <name>SessionGuard</name>
    <message>
        <source>This diary is marked open on %1 since %2. Open it here anyway?</source>
        <translation>Dieses Tagebuch ist auf %1 seit %2 als geöffnet markiert. Trotzdem hier öffnen?</translation>
    </message>
    <message>
        <source>The folder of this diary cannot hold a lock file (%1), so this diary opens for reading only: its entries can be read, searched and exported, but Save Entry, a password change and keeping a draft are refused. What you type stays in the Entry Composer.</source>
        <translation>Der Ordner dieses Tagebuchs kann keine Sperrdatei aufnehmen (%1), daher wird das Tagebuch nur zum Lesen geöffnet: Seine Einträge können gelesen, durchsucht und exportiert werden, aber Eintrag speichern, eine Passwortänderung und das Aufbewahren eines Entwurfs werden abgelehnt. Was Sie tippen, bleibt in „Eintrag verfassen“.</translation>
    </message>
    <message>
        <source>This diary is already open in another Quorvel window.</source>
        <translation>Dieses Tagebuch ist bereits in einem anderen Quorvel-Fenster geöffnet.</translation>
    </message>
    <message>
        <source> Entry Compose</source>
        <translation> Eintrag verfassen</translation>
    </message>
    <message>
        <source>The diary &quot;%1&quot; was changed by another program: its owner, title or password is no longer the one it was opened with (the password may have been changed on another computer). The diary has been closed; log in again.</source>
        <translation>Das Tagebuch „%1“ wurde von einem anderen Programm geändert: Besitzer, Titel oder Passwort sind nicht mehr die, mit denen es geöffnet wurde (das Passwort wurde vielleicht auf einem anderen Computer geändert). Das Tagebuch wurde geschlossen; melden Sie sich erneut an.</translation>
    </message>
    <message>
        <source> What you were writing is kept and offered at the next log-in.</source>
        <translation> Was Sie geschrieben haben, wird aufbewahrt und bei der nächsten Anmeldung angeboten.</translation>
    </message>
    <message>
        <source>The diary file %1 was replaced by a different diary (another time of begin). The diary &quot;%2&quot; has been closed, and nothing was written into the other one.</source>
        <translation>Die Tagebuchdatei %1 wurde durch ein anderes Tagebuch ersetzt (anderer Beginn). Das Tagebuch „%2“ wurde geschlossen, und in das andere wurde nichts geschrieben.</translation>
    </message>
    <message>
        <source>The diary file %1 of &quot;%2&quot; is gone or can no longer be read (%3). The diary has been closed.</source>
        <translation>Die Tagebuchdatei %1 von „%2“ ist verschwunden oder kann nicht mehr gelesen werden (%3). Das Tagebuch wurde geschlossen.</translation>
    </message>
    <message>
        <source> What you were writing stays in the Entry Composer.</source>
        <translation> Was Sie geschrieben haben, bleibt in „Eintrag verfassen“.</translation>
    </message>
</context>
<context>
    <name>StorageStatus</name>
    <message>
        <source>Path/File access error</source>
        <translation>Fehler beim Pfad-/Dateizugriff</translation>
    </message>
    <message>
        <source>File not found</source>
        <translation>Datei nicht gefunden</translation>
    </message>
    <message>
        <source>Path not found</source>
        <translation>Pfad nicht gefunden</translation>
    </message>
    <message>
        <source>Permission denied</source>
        <translation>Zugriff verweigert</translation>
    </message>
    <message>
        <source>Disk full</source>
        <translation>Datenträger voll</translation>
    </message>
    <message>
        <source>Device I/O error</source>
        <translation>Ein-/Ausgabefehler des Geräts</translation>
    </message>
</context>
<context>
    <name>frmAreYouShure</name>
    <message>
        <source> Are You Shure?</source>
        <translation> Sind Sie sicher?</translation>
    </message>
    <message>
        <source>Owner:</source>
        <translation>Besitzer:</translation>
    </message>
    <message>
        <source>Diary Title:</source>
        <translation>Tagebuchtitel:</translation>
    </message>
    <message>
        <source>File Name:</source>
        <translation>Dateiname:</translation>
    </message>
    <message>
        <source>Cancel, keep the diary</source>
        <translation>Abbrechen, Tagebuch behalten</translation>
    </message>
    <message>
        <source>Delete the diary</source>
        <translation>Tagebuch löschen</translation>
    </message>
    <message>
        <source>Do You want to delete this Diary?</source>
        <translation>Möchten Sie dieses Tagebuch löschen?</translation>
    </message>
    <message>
        <source>The diary &quot;%1&quot; was moved to the trash; you can restore it from there.</source>
        <translation>Das Tagebuch „%1“ wurde in den Papierkorb verschoben; dort können Sie es wiederherstellen.</translation>
    </message>
    <message>
        <source>The diary &quot;%1&quot; was deleted: no trash could take it, so the file %2 is gone.</source>
        <translation>Das Tagebuch „%1“ wurde gelöscht: Kein Papierkorb konnte es aufnehmen, daher ist die Datei %2 fort.</translation>
    </message>
</context>
<context>
    <name>frmBackups</name>
    <message>
        <source>Backups of &quot;%1&quot;</source>
        <translation>Sicherungen von „%1“</translation>
    </message>
    <message>
        <source>&amp;Backups:</source>
        <translation>&amp;Sicherungen:</translation>
    </message>
    <message>
        <source>Made</source>
        <translation>Angelegt</translation>
    </message>
    <message>
        <source>Entries</source>
        <translation>Einträge</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>Größe</translation>
    </message>
    <message>
        <source>Backups</source>
        <translation>Sicherungen</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Restore the chosen backup as a new diary beside this one</source>
        <translation>Gewählte Sicherung als neues Tagebuch neben diesem wiederherstellen</translation>
    </message>
    <message>
        <source>No backups yet:</source>
        <translation>Noch keine Sicherungen:</translation>
    </message>
    <message>
        <source>The backup could not be restored: %1</source>
        <translation>Die Sicherung konnte nicht wiederhergestellt werden: %1</translation>
    </message>
    <message>
        <source>The backup was restored as a new diary in the file %1.</source>
        <translation>Die Sicherung wurde als neues Tagebuch in der Datei %1 wiederhergestellt.</translation>
    </message>
</context>
<context>
    <name>frmChangePassword</name>
    <message>
        <source>Change Diary Password</source>
        <translation>Tagebuchpasswort ändern</translation>
    </message>
    <message>
        <source>Change the password of the chosen diary</source>
        <translation>Passwort des gewählten Tagebuchs ändern</translation>
    </message>
</context>
<context>
    <name>frmDeleteDiary</name>
    <message>
        <source>Delete Existant Diary</source>
        <translation>Vorhandenes Tagebuch löschen</translation>
    </message>
    <message>
        <source>Delete the chosen diary</source>
        <translation>Gewähltes Tagebuch löschen</translation>
    </message>
</context>
<context>
    <name>frmEncryption</name>
    <message>
        <source>Encrypt Diary</source>
        <translation>Tagebuch verschlüsseln</translation>
    </message>
    <message>
        <source>Make Diary Plain</source>
        <translation>Tagebuch entschlüsseln</translation>
    </message>
    <message>
        <source>Encrypting seals every entry of this diary with a key made from a new password. A new one, because a plain diary&apos;s password is limited to 50 characters and stored weakly in the file, so every earlier copy of the file (backups, a sync program&apos;s history) gives it away; the encrypted diary&apos;s password is its key and is stored nowhere. It may be a passphrase of up to 256 characters.</source>
        <translation>Beim Verschlüsseln wird jeder Eintrag dieses Tagebuchs mit einem Schlüssel versiegelt, der aus einem neuen Passwort erzeugt wird. Aus einem neuen, weil das Passwort eines unverschlüsselten Tagebuchs auf 50 Zeichen begrenzt und nur schwach geschützt in der Datei gespeichert ist, sodass jede frühere Kopie der Datei (Sicherungen, der Verlauf eines Synchronisationsprogramms) es verrät; das Passwort eines verschlüsselten Tagebuchs ist sein Schlüssel und wird nirgends gespeichert. Es darf ein ganzer Satz mit bis zu 256 Zeichen sein.</translation>
    </message>
    <message>
        <source>Making this diary plain again stores its texts without encryption: they can then be read by anyone who copies the file. Enter the diary&apos;s password to go on.</source>
        <translation>Wird dieses Tagebuch wieder entschlüsselt, werden seine Texte ohne Verschlüsselung gespeichert: Dann kann sie jeder lesen, der die Datei kopiert. Geben Sie das Passwort des Tagebuchs ein, um fortzufahren.</translation>
    </message>
    <message>
        <source>Progress of the rewrite</source>
        <translation>Fortschritt des Neuschreibens</translation>
    </message>
    <message>
        <source>Encrypt the diary</source>
        <translation>Tagebuch verschlüsseln</translation>
    </message>
    <message>
        <source>Make the diary plain</source>
        <translation>Tagebuch entschlüsseln</translation>
    </message>
    <message>
        <source>New Password:</source>
        <translation>Neues Passwort:</translation>
    </message>
    <message>
        <source>Confirm Password:</source>
        <translation>Passwort bestätigen:</translation>
    </message>
    <message>
        <source>Password:</source>
        <translation>Passwort:</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>The Password was not confirmed right!</source>
        <translation>Das Passwort wurde nicht richtig bestätigt!</translation>
    </message>
    <message>
        <source>Making the new key ...</source>
        <translation>Der neue Schlüssel wird erzeugt ...</translation>
    </message>
    <message>
        <source>The diary could not be read: %1. Nothing was changed.</source>
        <translation>Das Tagebuch konnte nicht gelesen werden: %1. Es wurde nichts geändert.</translation>
    </message>
    <message>
        <source>Entries longer than %1 characters cannot be encrypted: %2. Shorten them first; nothing was changed.</source>
        <translation>Einträge mit mehr als %1 Zeichen können nicht verschlüsselt werden: %2. Kürzen Sie sie zuerst; es wurde nichts geändert.</translation>
    </message>
    <message>
        <source>There is not enough memory to make the key. Nothing was changed.</source>
        <translation>Es ist nicht genug Arbeitsspeicher frei, um den Schlüssel zu erzeugen. Es wurde nichts geändert.</translation>
    </message>
    <message>
        <source>The password is not right. Nothing was changed.</source>
        <translation>Das Passwort ist nicht richtig. Es wurde nichts geändert.</translation>
    </message>
    <message>
        <source>The password of this diary is %1 characters long; a plain diary&apos;s password holds at most %2. Change it first (Options › Password); nothing was changed.</source>
        <translation>Das Passwort dieses Tagebuchs ist %1 Zeichen lang; das Passwort eines unverschlüsselten Tagebuchs fasst höchstens %2. Ändern Sie es zuerst (Optionen › Passwort); es wurde nichts geändert.</translation>
    </message>
    <message>
        <source>Encrypting the diary ...</source>
        <translation>Das Tagebuch wird verschlüsselt ...</translation>
    </message>
    <message>
        <source>Making the diary plain ...</source>
        <translation>Das Tagebuch wird entschlüsselt ...</translation>
    </message>
    <message>
        <source>Entry %1 is damaged; nothing was changed.</source>
        <translation>Eintrag %1 ist beschädigt; es wurde nichts geändert.</translation>
    </message>
    <message>
        <source>The diary could not be rewritten: %1. Nothing was changed.</source>
        <translation>Das Tagebuch konnte nicht neu geschrieben werden: %1. Es wurde nichts geändert.</translation>
    </message>
    <message>
        <source>The diary is encrypted now.</source>
        <translation>Das Tagebuch ist jetzt verschlüsselt.</translation>
    </message>
    <message>
        <source>The diary is plain now: its texts can be read by anyone who copies the file.</source>
        <translation>Das Tagebuch ist jetzt unverschlüsselt: Seine Texte kann jeder lesen, der die Datei kopiert.</translation>
    </message>
    <message>
        <source>Its unsaved entry could not be carried over: %1.</source>
        <translation>Sein ungespeicherter Eintrag konnte nicht übernommen werden: %1.</translation>
    </message>
</context>
<context>
    <name>frmEnterPassword</name>
    <message>
        <source> Enter Password</source>
        <translation> Passwort eingeben</translation>
    </message>
    <message>
        <source>Owner:</source>
        <translation>Besitzer:</translation>
    </message>
    <message>
        <source>Name:</source>
        <translation>Name:</translation>
    </message>
    <message>
        <source>Password:</source>
        <translation>Passwort:</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Log in to the diary</source>
        <translation>Am Tagebuch anmelden</translation>
    </message>
    <message>
        <source>Enter Password</source>
        <translation>Passwort eingeben</translation>
    </message>
</context>
<context>
    <name>frmExport</name>
    <message>
        <source>PDF book</source>
        <translation>PDF-Buch</translation>
    </message>
    <message>
        <source>HTML book</source>
        <translation>HTML-Buch</translation>
    </message>
    <message>
        <source>JSON</source>
        <translation>JSON</translation>
    </message>
    <message>
        <source>Markdown</source>
        <translation>Markdown</translation>
    </message>
    <message>
        <source>CSV</source>
        <translation>CSV</translation>
    </message>
    <message>
        <source>plain text</source>
        <translation>Reiner Text</translation>
    </message>
    <message>
        <source>Export</source>
        <translation>Exportieren</translation>
    </message>
    <message>
        <source>&amp;Format:</source>
        <translation>&amp;Format:</translation>
    </message>
    <message>
        <source>Entries:</source>
        <translation>Einträge:</translation>
    </message>
    <message>
        <source>&amp;All</source>
        <translation>&amp;Alle</translation>
    </message>
    <message>
        <source>&amp;Numbers</source>
        <translation>&amp;Nummern</translation>
    </message>
    <message>
        <source>&amp;Days</source>
        <translation>&amp;Tage</translation>
    </message>
    <message>
        <source>First entry</source>
        <translation>Erster Eintrag</translation>
    </message>
    <message>
        <source>Last entry</source>
        <translation>Letzter Eintrag</translation>
    </message>
    <message>
        <source>From day</source>
        <translation>Erster Tag</translation>
    </message>
    <message>
        <source>To day</source>
        <translation>Letzter Tag</translation>
    </message>
    <message>
        <source>to</source>
        <translation>bis</translation>
    </message>
    <message>
        <source>&amp;Page size:</source>
        <translation>&amp;Seitengröße:</translation>
    </message>
    <message>
        <source>A4</source>
        <translation>A4</translation>
    </message>
    <message>
        <source>Letter</source>
        <translation>Letter</translation>
    </message>
    <message>
        <source>F&amp;ile:</source>
        <translation>&amp;Datei:</translation>
    </message>
    <message>
        <source>...</source>
        <translation>...</translation>
    </message>
    <message>
        <source>Choose the file to write</source>
        <translation>Zieldatei wählen</translation>
    </message>
    <message>
        <source>JSON keeps everything, the password included, and can be read back by import: the file holds the diary&apos;s password and entries, readable by anyone who can read the file. It is written readable by its owner only.</source>
        <translation>JSON enthält alles, auch das Passwort, und lässt sich wieder importieren: Die Datei enthält das Passwort und die Einträge des Tagebuchs, lesbar für jeden, der die Datei lesen kann. Sie wird so geschrieben, dass nur ihr Besitzer sie lesen kann.</translation>
    </message>
    <message>
        <source>Pass&amp;word of the diary:</source>
        <translation>Pass&amp;wort des Tagebuchs:</translation>
    </message>
    <message>
        <source>Export progress</source>
        <translation>Fortschritt des Exports</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>&amp;Export</source>
        <translation>&amp;Exportieren</translation>
    </message>
    <message>
        <source>Export to</source>
        <translation>Exportieren nach</translation>
    </message>
    <message>
        <source>Choose the file to write.</source>
        <translation>Bitte wählen Sie die Zieldatei.</translation>
    </message>
    <message>
        <source>The first entry number is greater than the last.</source>
        <translation>Die erste Eintragsnummer ist größer als die letzte.</translation>
    </message>
    <message>
        <source>The first day is later than the last.</source>
        <translation>Der erste Tag liegt nach dem letzten.</translation>
    </message>
    <message>
        <source>The JSON file holds the diary&apos;s password: type it, please.</source>
        <translation>Die JSON-Datei enthält das Passwort des Tagebuchs: Bitte geben Sie es ein.</translation>
    </message>
    <message>
        <source>The diary was not exported: %1</source>
        <translation>Das Tagebuch wurde nicht exportiert: %1</translation>
    </message>
    <message>
        <source>The diary was exported to %1.</source>
        <translation>Das Tagebuch wurde nach %1 exportiert.</translation>
    </message>
    <message>
        <source>Open it now?</source>
        <translation>Jetzt öffnen?</translation>
    </message>
</context>
<context>
    <name>frmFindPhrase</name>
    <message>
        <source> Find Phrase</source>
        <translation> Text suchen</translation>
    </message>
    <message>
        <source>Enter Phrase:</source>
        <translation>Suchtext:</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Find the phrase</source>
        <translation>Text suchen</translation>
    </message>
    <message>
        <source>Find Phrase</source>
        <translation>Text suchen</translation>
    </message>
</context>
<context>
    <name>frmImport</name>
    <message>
        <source> Import Diary</source>
        <translation> Tagebuch importieren</translation>
    </message>
    <message>
        <source>Import from:</source>
        <translation>Importieren aus:</translation>
    </message>
    <message>
        <source>Quorvel JSON export</source>
        <translation>Quorvel-JSON-Export</translation>
    </message>
    <message>
        <source>jrnl JSON export</source>
        <translation>jrnl-JSON-Export</translation>
    </message>
    <message>
        <source>Day One export (.zip or .json)</source>
        <translation>Day-One-Export (.zip oder .json)</translation>
    </message>
    <message>
        <source>RedNotebook data folder</source>
        <translation>RedNotebook-Datenordner</translation>
    </message>
    <message>
        <source>File:</source>
        <translation>Datei:</translation>
    </message>
    <message>
        <source>Choose the export</source>
        <translation>Export wählen</translation>
    </message>
    <message>
        <source>Owner:</source>
        <translation>Besitzer:</translation>
    </message>
    <message>
        <source>Diary Title:</source>
        <translation>Tagebuchtitel:</translation>
    </message>
    <message>
        <source>Password:</source>
        <translation>Passwort:</translation>
    </message>
    <message>
        <source>Confirm Password:</source>
        <translation>Passwort bestätigen:</translation>
    </message>
    <message>
        <source>Encrypt the entries</source>
        <translation>Einträge verschlüsseln</translation>
    </message>
    <message>
        <source>A Quorvel export brings its own owner, title and password, and stays encrypted when its diary was.</source>
        <translation>Ein Quorvel-Export bringt Besitzer, Titel und Passwort selbst mit und bleibt verschlüsselt, wenn sein Tagebuch es war.</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Import the diary</source>
        <translation>Tagebuch importieren</translation>
    </message>
    <message>
        <source>Import Diary</source>
        <translation>Tagebuch importieren</translation>
    </message>
    <message>
        <source>Folder:</source>
        <translation>Ordner:</translation>
    </message>
    <message>
        <source>Day One export</source>
        <translation>Day-One-Export</translation>
    </message>
    <message>
        <source>Day One export (*.zip *.json);;All files (*)</source>
        <translation>Day-One-Export (*.zip *.json);;Alle Dateien (*)</translation>
    </message>
    <message>
        <source>JSON export (*.json);;All files (*)</source>
        <translation>JSON-Export (*.json);;Alle Dateien (*)</translation>
    </message>
    <message>
        <source>Please choose the export to import.</source>
        <translation>Bitte wählen Sie den Export, der importiert werden soll.</translation>
    </message>
    <message>
        <source>Alert</source>
        <translation>Hinweis</translation>
    </message>
    <message>
        <source>The new diary %1 holds 1 entry.</source>
        <translation>Das neue Tagebuch %1 enthält 1 Eintrag.</translation>
    </message>
    <message>
        <source>The new diary %1 holds %2 entries.</source>
        <translation>Das neue Tagebuch %1 enthält %2 Einträge.</translation>
    </message>
    <message>
        <source>Import</source>
        <translation>Importieren</translation>
    </message>
    <message>
        <source>The import failed, nothing was written: the data folder %1 cannot be made.</source>
        <translation>Der Import ist fehlgeschlagen, es wurde nichts geschrieben: Der Datenordner %1 kann nicht angelegt werden.</translation>
    </message>
    <message>
        <source>The import failed, nothing was written: %1</source>
        <translation>Der Import ist fehlgeschlagen, es wurde nichts geschrieben: %1</translation>
    </message>
    <message>
        <source>... and %1 more</source>
        <translation>... und %1 weitere</translation>
    </message>
    <message>
        <source>Nothing was imported:</source>
        <translation>Es wurde nichts importiert:</translation>
    </message>
</context>
<context>
    <name>frmInfo</name>
    <message>
        <source>Info ...</source>
        <translation>Info ...</translation>
    </message>
    <message>
        <source>Info</source>
        <translation>Info</translation>
    </message>
    <message>
        <source>Made in Germany, components in the USA</source>
        <translation>Hergestellt in Deutschland, Komponenten aus den USA</translation>
    </message>
    <message>
        <source>Diaries: %1</source>
        <translation>Tagebücher: %1</translation>
    </message>
    <message>
        <source>System Info...</source>
        <translation>Systeminfo...</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Spelling is not checked: no dictionary is installed (for example hunspell-en-us).</source>
        <translation>Die Rechtschreibung wird nicht geprüft: Es ist kein Wörterbuch installiert (zum Beispiel hunspell-de-de).</translation>
    </message>
</context>
<context>
    <name>frmMain</name>
    <message>
        <source>healthy</source>
        <translation>gesund</translation>
    </message>
    <message>
        <source>balanced</source>
        <translation>mittel</translation>
    </message>
    <message>
        <source>ill</source>
        <translation>krank</translation>
    </message>
    <message>
        <source>none</source>
        <translation>keine</translation>
    </message>
    <message>
        <source>in love</source>
        <translation>verliebt</translation>
    </message>
    <message>
        <source>lucky</source>
        <translation>glücklich</translation>
    </message>
    <message>
        <source>love sick</source>
        <translation>Kummer</translation>
    </message>
    <message>
        <source> File</source>
        <translation> Datei</translation>
    </message>
    <message>
        <source> New Diary</source>
        <translation> Neu</translation>
    </message>
    <message>
        <source> Open Diary</source>
        <translation> Öffnen</translation>
    </message>
    <message>
        <source> Close Diary</source>
        <translation> Schließen</translation>
    </message>
    <message>
        <source> Save Entry</source>
        <translation> Speichern</translation>
    </message>
    <message>
        <source> Delete Diary</source>
        <translation> Löschen</translation>
    </message>
    <message>
        <source> Quit</source>
        <translation> Beenden</translation>
    </message>
    <message>
        <source> Edit</source>
        <translation> Bearbeiten</translation>
    </message>
    <message>
        <source> Cut</source>
        <translation> Ausschneiden</translation>
    </message>
    <message>
        <source> Copy</source>
        <translation> Kopieren</translation>
    </message>
    <message>
        <source> Paste</source>
        <translation> Einfügen</translation>
    </message>
    <message>
        <source> Delete</source>
        <translation> Entfernen</translation>
    </message>
    <message>
        <source> Find ...</source>
        <translation> Suchen ...</translation>
    </message>
    <message>
        <source> View</source>
        <translation> Ansicht</translation>
    </message>
    <message>
        <source> Workbench</source>
        <translation> Werkbank</translation>
    </message>
    <message>
        <source> Compose</source>
        <translation> Verfassen</translation>
    </message>
    <message>
        <source> Browser</source>
        <translation> Liste</translation>
    </message>
    <message>
        <source> Reading</source>
        <translation> Lesen</translation>
    </message>
    <message>
        <source> Statisticals</source>
        <translation> Statistik</translation>
    </message>
    <message>
        <source> Options</source>
        <translation> Optionen</translation>
    </message>
    <message>
        <source> Password</source>
        <translation> Passwort</translation>
    </message>
    <message>
        <source> ?</source>
        <translation> ?</translation>
    </message>
    <message>
        <source> Help</source>
        <translation> Hilfe</translation>
    </message>
    <message>
        <source> Info</source>
        <translation> Info</translation>
    </message>
    <message>
        <source>Entry Number:</source>
        <translation>Eintrag Nr.:</translation>
    </message>
    <message>
        <source> Diary Workbench</source>
        <translation> Tagebuch-Werkbank</translation>
    </message>
    <message>
        <source>TALVERONIX - Quorvel Version 4.0</source>
        <translation>TALVERONIX - Quorvel Version 4.0</translation>
    </message>
    <message>
        <source>Date/Time:</source>
        <translation>Datum/Zeit:</translation>
    </message>
    <message>
        <source>Topic:</source>
        <translation>Thema:</translation>
    </message>
    <message>
        <source>Entry:</source>
        <translation>Eintrag:</translation>
    </message>
    <message>
        <source>Wellness:</source>
        <translation>Befinden:</translation>
    </message>
    <message>
        <source>Love:</source>
        <translation>Liebe:</translation>
    </message>
    <message>
        <source>Save Entry</source>
        <translation>Eintrag speichern</translation>
    </message>
    <message>
        <source> Number    Date/Time                 Topic</source>
        <translation> Nummer    Datum/Zeit                Thema</translation>
    </message>
    <message>
        <source>Show Entry</source>
        <translation>Eintrag anzeigen</translation>
    </message>
    <message>
        <source>Next Entry</source>
        <translation>Nächster Eintrag</translation>
    </message>
    <message>
        <source>Previous Entry</source>
        <translation>Vorheriger Eintrag</translation>
    </message>
    <message>
        <source>Diary Workbench</source>
        <translation>Tagebuch-Werkbank</translation>
    </message>
    <message>
        <source> Universal Data</source>
        <translation> Allgemeine Daten</translation>
    </message>
    <message>
        <source> Health Data</source>
        <translation> Gesundheitsdaten</translation>
    </message>
    <message>
        <source> Love Data</source>
        <translation> Liebesdaten</translation>
    </message>
    <message>
        <source> Number of Entries:</source>
        <translation> Anzahl der Einträge:</translation>
    </message>
    <message>
        <source> Diary Owner:</source>
        <translation> Besitzer:</translation>
    </message>
    <message>
        <source> Diary Title</source>
        <translation> Tagebuchtitel</translation>
    </message>
    <message>
        <source> Date of Building:</source>
        <translation> Angelegt am:</translation>
    </message>
    <message>
        <source> Numer of healthy days:</source>
        <translation> Anzahl gesunder Tage:</translation>
    </message>
    <message>
        <source> Number of balanced days:</source>
        <translation> Anzahl mittlerer Tage:</translation>
    </message>
    <message>
        <source> Number of ill days:</source>
        <translation> Anzahl kranker Tage:</translation>
    </message>
    <message>
        <source> none entered:</source>
        <translation> keine Angabe:</translation>
    </message>
    <message>
        <source> Number of in love days:</source>
        <translation> Anzahl verliebter Tage:</translation>
    </message>
    <message>
        <source> Number of lucky days:</source>
        <translation> Anzahl glücklicher Tage:</translation>
    </message>
    <message>
        <source> Number of love sick days:</source>
        <translation> Anzahl liebeskranker Tage:</translation>
    </message>
    <message>
        <source>Do you want to quit this application?</source>
        <translation>Möchten Sie das Programm beenden?</translation>
    </message>
    <message>
        <source>The unsaved entry in the Entry Composer is kept nowhere: %1.
If you quit now, it is lost.

Do you want to quit anyway?</source>
        <translation>Der ungespeicherte Eintrag in „Eintrag verfassen“ wird nirgends aufbewahrt: %1.
Wenn Sie jetzt beenden, geht er verloren.

Möchten Sie trotzdem beenden?</translation>
    </message>
    <message>
        <source> Entry Reading</source>
        <translation> Eintrag lesen</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
    <message>
        <source>&amp;New Diary</source>
        <translation>&amp;Neues Tagebuch</translation>
    </message>
    <message>
        <source>&amp;Open Diary</source>
        <translation>Tagebuch ö&amp;ffnen</translation>
    </message>
    <message>
        <source>&amp;Save Entry</source>
        <translation>Eintrag &amp;speichern</translation>
    </message>
    <message>
        <source>&amp;Close Diary</source>
        <translation>Tagebuch s&amp;chließen</translation>
    </message>
    <message>
        <source>&amp;Delete Diary</source>
        <translation>Tagebuch &amp;löschen</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>&amp;Beenden</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>&amp;Bearbeiten</translation>
    </message>
    <message>
        <source>&amp;Cut</source>
        <translation>&amp;Ausschneiden</translation>
    </message>
    <message>
        <source>&amp;Copy</source>
        <translation>&amp;Kopieren</translation>
    </message>
    <message>
        <source>&amp;Paste</source>
        <translation>&amp;Einfügen</translation>
    </message>
    <message>
        <source>&amp;Delete</source>
        <translation>&amp;Löschen</translation>
    </message>
    <message>
        <source>&amp;Find ...</source>
        <translation>&amp;Suchen ...</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>&amp;Ansicht</translation>
    </message>
    <message>
        <source>&amp;Diary Workbench</source>
        <translation>&amp;Tagebuch-Werkbank</translation>
    </message>
    <message>
        <source>Entry &amp;Composer</source>
        <translation>Eintrag &amp;verfassen</translation>
    </message>
    <message>
        <source>Entry &amp;Browser</source>
        <translation>Eintrags&amp;liste</translation>
    </message>
    <message>
        <source>Entry &amp;Reading</source>
        <translation>Eintrag l&amp;esen</translation>
    </message>
    <message>
        <source>Entry &amp;Statisticals</source>
        <translation>Eintrags&amp;statistik</translation>
    </message>
    <message>
        <source>&amp;Options</source>
        <translation>&amp;Optionen</translation>
    </message>
    <message>
        <source>&amp;Password</source>
        <translation>&amp;Passwort</translation>
    </message>
    <message>
        <source>&amp;Window</source>
        <translation>&amp;Fenster</translation>
    </message>
    <message>
        <source>&amp;Minimized</source>
        <translation>&amp;Minimiert</translation>
    </message>
    <message>
        <source>&amp;Normal Size</source>
        <translation>&amp;Normale Größe</translation>
    </message>
    <message>
        <source>&amp;Maximized</source>
        <translation>Ma&amp;ximiert</translation>
    </message>
    <message>
        <source>&amp;Center</source>
        <translation>&amp;Zentrieren</translation>
    </message>
    <message>
        <source>&amp;?</source>
        <translation>&amp;?</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <source>Manual (Deutsch)</source>
        <translation>Handbuch (Deutsch)</translation>
    </message>
    <message>
        <source>Manual (English)</source>
        <translation>Handbuch (Englisch)</translation>
    </message>
    <message>
        <source>&amp;Info</source>
        <translation>&amp;Info</translation>
    </message>
    <message>
        <source>Entry:</source>
        <comment>beside the Entry Browser&apos;s list, 47 pixels wide</comment>
        <translation>Liste:</translation>
    </message>
    <message>
        <source>&amp;Export ...</source>
        <translation>&amp;Exportieren ...</translation>
    </message>
    <message>
        <source>&amp;Import ...</source>
        <translation>&amp;Importieren ...</translation>
    </message>
    <message>
        <source>Check &amp;Spelling</source>
        <translation>&amp;Rechtschreibung prüfen</translation>
    </message>
    <message>
        <source>&amp;Encryption ...</source>
        <translation>&amp;Verschlüsselung ...</translation>
    </message>
    <message>
        <source>P&amp;references ...</source>
        <translation>&amp;Einstellungen ...</translation>
    </message>
    <message>
        <source> Search</source>
        <translation> Suchen</translation>
    </message>
    <message>
        <source>S&amp;earch</source>
        <translation>S&amp;uchen</translation>
    </message>
</context>
<context>
    <name>frmNewDiary</name>
    <message>
        <source> Create New Diary</source>
        <translation> Neues Tagebuch anlegen</translation>
    </message>
    <message>
        <source>Owner:</source>
        <translation>Besitzer:</translation>
    </message>
    <message>
        <source>Diary Title:</source>
        <translation>Tagebuchtitel:</translation>
    </message>
    <message>
        <source>Time of Begin:</source>
        <translation>Beginn:</translation>
    </message>
    <message>
        <source>Password:</source>
        <translation>Passwort:</translation>
    </message>
    <message>
        <source>Confirm Password:</source>
        <translation>Passwort bestätigen:</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Create the diary</source>
        <translation>Tagebuch anlegen</translation>
    </message>
    <message>
        <source>Encrypt the entries</source>
        <translation>Einträge verschlüsseln</translation>
    </message>
    <message>
        <source>Encrypted entries cannot be read without the password: a forgotten password cannot be recovered.</source>
        <translation>Verschlüsselte Einträge können ohne das Passwort nicht gelesen werden: Ein vergessenes Passwort lässt sich nicht wiederherstellen.</translation>
    </message>
    <message>
        <source>Create New Diary</source>
        <translation>Neues Tagebuch anlegen</translation>
    </message>
    <message>
        <source>Owner and Diary Title must not contain tabs, line breaks or other control characters!</source>
        <translation>Besitzer und Tagebuchtitel dürfen keine Tabulatoren, Zeilenumbrüche oder andere Steuerzeichen enthalten!</translation>
    </message>
    <message>
        <source>These characters cannot be stored in a diary: %1
Please use other characters.</source>
        <translation>Diese Zeichen können in einem Tagebuch nicht gespeichert werden: %1
Bitte verwenden Sie andere Zeichen.</translation>
    </message>
    <message>
        <source>There was not entered all required informations!</source>
        <translation>Es wurden nicht alle nötigen Angaben gemacht!</translation>
    </message>
    <message>
        <source>Alert</source>
        <translation>Hinweis</translation>
    </message>
    <message>
        <source>The Password was not confirmed right!</source>
        <translation>Das Passwort wurde nicht richtig bestätigt!</translation>
    </message>
    <message>
        <source>Please enter a password!</source>
        <translation>Bitte geben Sie ein Passwort ein!</translation>
    </message>
    <message>
        <source>The password is %1 characters long; a plain diary&apos;s password holds at most %2.</source>
        <translation>Das Passwort ist %1 Zeichen lang; das Passwort eines unverschlüsselten Tagebuchs fasst höchstens %2.</translation>
    </message>
    <message>
        <source>Making the diary&apos;s key ...</source>
        <translation>Der Schlüssel des Tagebuchs wird erzeugt ...</translation>
    </message>
</context>
<context>
    <name>frmOpenDiary</name>
    <message>
        <source>Open Existant Diary</source>
        <translation>Vorhandenes Tagebuch öffnen</translation>
    </message>
    <message>
        <source>Open the chosen diary</source>
        <translation>Gewähltes Tagebuch öffnen</translation>
    </message>
    <message>
        <source>&amp;Backups ...</source>
        <translation>&amp;Sicherungen ...</translation>
    </message>
    <message>
        <source>The automatic backups of the chosen diary</source>
        <translation>Die automatischen Sicherungen des gewählten Tagebuchs</translation>
    </message>
</context>
<context>
    <name>frmPopup</name>
    <message>
        <source>ENTRY SAVED</source>
        <translation>EINTRAG GESPEICHERT</translation>
    </message>
    <message>
        <source>NO DIARY OPEN</source>
        <translation>KEIN TAGEBUCH OFFEN</translation>
    </message>
    <message>
        <source>LOGIN ALLOWED</source>
        <translation>ANMELDUNG ERLAUBT</translation>
    </message>
    <message>
        <source>ACCESS DENIED</source>
        <translation>ZUGRIFF VERWEIGERT</translation>
    </message>
    <message>
        <source>KILL ALLOWED</source>
        <translation>LÖSCHEN ERLAUBT</translation>
    </message>
</context>
<context>
    <name>frmPreferences</name>
    <message>
        <source>Preferences</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>&amp;Lock after (minutes without use):</source>
        <translation>&amp;Sperren nach (Minuten ohne Benutzung):</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>Aus</translation>
    </message>
    <message>
        <source>Lock after minutes without use</source>
        <translation>Sperren nach Minuten ohne Benutzung</translation>
    </message>
    <message>
        <source>Lock &amp;plain diaries too</source>
        <translation>Auch &amp;unverschlüsselte Tagebücher sperren</translation>
    </message>
    <message>
        <source>Make automatic &amp;backups</source>
        <translation>&amp;Automatische Sicherungen anlegen</translation>
    </message>
    <message>
        <source>Backups &amp;folder:</source>
        <translation>&amp;Ordner für Sicherungen:</translation>
    </message>
    <message>
        <source>Backups folder</source>
        <translation>Ordner für Sicherungen</translation>
    </message>
    <message>
        <source>Choose the backups folder</source>
        <translation>Ordner für Sicherungen wählen</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Save the preferences</source>
        <translation>Einstellungen speichern</translation>
    </message>
    <message>
        <source>The backups folder cannot lie inside the diaries&apos; folder %1: backups there would be listed as diaries. Please choose another folder.</source>
        <translation>Der Ordner für Sicherungen darf nicht im Ordner der Tagebücher %1 liegen: Sicherungen dort würden als Tagebücher aufgeführt. Bitte wählen Sie einen anderen Ordner.</translation>
    </message>
    <message>
        <source>The preferences could not be saved in %1.</source>
        <translation>Die Einstellungen konnten nicht in %1 gespeichert werden.</translation>
    </message>
</context>
<context>
    <name>mApplication</name>
    <message>
        <source> Diary Workbench</source>
        <translation> Tagebuch-Werkbank</translation>
    </message>
    <message>
        <source> Entry Compose</source>
        <translation> Eintrag verfassen</translation>
    </message>
    <message>
        <source> Entry Browser</source>
        <translation> Eintragsliste</translation>
    </message>
    <message>
        <source> Entry Reading</source>
        <translation> Eintrag lesen</translation>
    </message>
    <message>
        <source> Entry Statisticals</source>
        <translation> Eintragsstatistik</translation>
    </message>
    <message>
        <source>You have reached the margin of 30000 entries!</source>
        <translation>Sie haben die Grenze von 30000 Einträgen erreicht!</translation>
    </message>
    <message>
        <source> Entry Search</source>
        <translation> Einträge suchen</translation>
    </message>
</context>
<context>
    <name>mView</name>
    <message>
        <source>Object variable or With block variable not set</source>
        <translation>Objektvariable oder With-Blockvariable nicht festgelegt</translation>
    </message>
    <message>
        <source>Invalid procedure call or argument</source>
        <translation>Unzulässiger Prozeduraufruf oder unzulässiges Argument</translation>
    </message>
</context>
</TS>
